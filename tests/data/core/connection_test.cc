// The connection component, the shared data module and the connection
// string it builds.
#include <gtest/gtest.h>

#include "data/db_error.h"
#include "data/provider/connection_string.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using testing::AddNumbersTable;
using testing::MemoryCatalogScope;

TEST(BuildConnectionString, ConnectionStringValuesReadBackAndTheModulesConnectionIsShared) {
  EXPECT_EQ(BuildConnectionString("C:\\db\\a.mdb", ""),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\a.mdb;Persist Security "
            "Info=False;Jet OLEDB:Database Password=");
  EXPECT_EQ(BuildConnectionString("/tmp/数据 1.mdb", "pa ss"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/数据 1.mdb;Persist Security "
            "Info=False;Jet OLEDB:Database Password=pa ss");
  // Awkward values are quoted so that they read back unchanged.
  for (std::string path :
       {"/tmp/a;b.mdb", "/tmp/a=b.mdb", "/tmp/it's.mdb", "/tmp/\"q\".mdb", "/tmp/'\";=.mdb"}) {
    for (std::string password : {"", "x;Data Source=/etc/passwd", "a'b", "\"", "=;"}) {
      auto parsed = provider::ConnectionString::Parse(BuildConnectionString(path, password));
      EXPECT_EQ(parsed.Get("data source"), path);
      EXPECT_EQ(parsed.Get("Jet OLEDB:Database Password"), password);
      EXPECT_EQ(parsed.Get("Provider"), "Microsoft.Jet.OLEDB.4.0");
      EXPECT_EQ(parsed.pairs().size(), 4u) << path << " / " << password;
    }
  }
  // What the module's definition hands the provider: a shared, client-side
  // connection without a login prompt, which the scratch query uses.
  TShareDataModule dm;
  TADOConnection& c = dm.ADOConnection1;
  EXPECT_FALSE(c.LoginPrompt());
  EXPECT_EQ(c.ConnectionObject().mode(), 16);            // share deny none
  EXPECT_EQ(c.ConnectionObject().cursor_location(), 3);  // client side
  EXPECT_FALSE(c.Connected());
  EXPECT_EQ(dm.ADOQueryTemp.Connection(), &c);
  EXPECT_EQ(dm.ADOQueryTemp.CacheSize(), 1);
}

class ConnectTest : public ::testing::Test {
 protected:
  std::string ConnectError(const std::string& file, const std::string& password) {
    dm_.ADOConnection1.SetConnected(false);
    dm_.ADOConnection1.SetConnectionString(BuildConnectionString(file, password));
    try {
      dm_.ADOConnection1.SetConnected(true);
    } catch (const EOleException& e) {
      EXPECT_FALSE(dm_.ADOConnection1.Connected());
      return e.what();
    }
    return "connected";
  }
  MemoryCatalogScope scope_;
  TShareDataModule dm_;
};

TEST_F(ConnectTest, ProviderFailuresLoseTheirFullStopAndQuotedPathsOpen) {
  scope_.Add("pw.mdb", "secret");
  scope_.Add("busy.mdb")->locked = true;
  scope_.Add("junk.mdb")->damaged = true;
  EXPECT_EQ(ConnectError("none.mdb", ""), "Could not find file 'none.mdb'");
  EXPECT_EQ(ConnectError("pw.mdb", "wrong"), "Not a valid password");
  EXPECT_EQ(ConnectError("pw.mdb", ""), "Not a valid password");
  EXPECT_EQ(ConnectError("busy.mdb", ""), "Could not use 'busy.mdb'; file already in use");
  EXPECT_EQ(ConnectError("junk.mdb", ""), "Unrecognized database format 'junk.mdb'");
  EXPECT_EQ(ConnectError("pw.mdb", "secret"), "connected");
  // Without a description the code is given.
  EXPECT_EQ(CleanProviderDescription(" ..\r\n", static_cast<int32_t>(0x80004005u)),
            "OLE error 80004005");
  EXPECT_EQ(CleanProviderDescription("Bad thing.  \n", 1), "Bad thing");
  // Quoted paths open; other providers are not found.
  scope_.Add("/data/a;b=c's.mdb", "p;w=\"");
  EXPECT_EQ(ConnectError("/data/a;b=c's.mdb", "p;w=\""), "connected");
  dm_.ADOConnection1.SetConnected(false);
  dm_.ADOConnection1.SetConnectionString("Provider=SQLOLEDB;Data Source=x");
  EXPECT_EQ(FailureOf<EOleException>([&] { dm_.ADOConnection1.SetConnected(true); }),
            "Provider cannot be found. It may not be properly installed");
}

TEST_F(ConnectTest, ConnectionStringAndStateChanges) {
  AddNumbersTable(*scope_.Add("a.mdb"), 3);
  TADOQuery q("ADOQuery1");
  q.SetConnection(&dm_.ADOConnection1);
  std::vector<std::string> log;
  TDataSource ds;
  ds.SetDataSet(&q);
  struct ConnLink : TDataLink {
    std::vector<std::string>* log;
    void DataEvent(TDataEvent e, TDataEventInfo i) override {
      if (e == TDataEvent::ConnectionChanged) log->push_back("conn");
      TDataLink::DataEvent(e, i);
    }
  } link;
  link.log = &log;
  link.SetDataSource(&ds);
  dm_.ADOConnection1.SetConnectionString(BuildConnectionString("a.mdb", ""));
  dm_.ADOConnection1.SetConnected(true);
  q.SQL().Add("Select * From Numbers");
  q.Open();
  // Disconnecting tells the open query, which stays open.
  dm_.ADOConnection1.SetConnected(false);
  EXPECT_EQ(log, std::vector<std::string>{"conn"});
  EXPECT_TRUE(q.Active());
  // The same string again: nothing happens; a new one keeps it disconnected.
  dm_.ADOConnection1.SetConnected(true);
  dm_.ADOConnection1.SetConnectionString(dm_.ADOConnection1.ConnectionString());
  EXPECT_TRUE(dm_.ADOConnection1.Connected());
  dm_.ADOConnection1.SetConnectionString(BuildConnectionString("b.mdb", ""));
  EXPECT_FALSE(dm_.ADOConnection1.Connected());
  // A failed connect keeps the new string.
  EXPECT_THROW(dm_.ADOConnection1.SetConnected(true), EOleException);
  EXPECT_EQ(dm_.ADOConnection1.ConnectionString(), BuildConnectionString("b.mdb", ""));
}

}  // namespace
}  // namespace data
