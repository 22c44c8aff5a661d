// Connection-string parsing and quoting.
#include "data/provider/connection_string.h"

#include <gtest/gtest.h>

#include "data/provider/provider.h"

namespace provider {
namespace {

TEST(ConnectionString, KeysValuesQuotingAndMalformedStrings) {
  auto cs = ConnectionString::Parse(
      "Provider=Microsoft.Jet.OLEDB.4.0;  data source =C:\\a b.mdb;Persist Security "
      "Info=False;JET OLEDB:DATABASE PASSWORD=");
  EXPECT_EQ(cs.Get("PROVIDER"), "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(cs.Get("Data Source"), "C:\\a b.mdb");
  EXPECT_EQ(cs.Get("Jet OLEDB:Database Password"), "");
  EXPECT_EQ(cs.Get("User ID"), std::nullopt);
  // Unquoted values keep their blanks.
  cs = ConnectionString::Parse("Jet OLEDB:Database Password= pw ;Data Source=x");
  EXPECT_EQ(cs.Get("jet oledb:database password"), " pw ");
  // Quoted values.
  cs = ConnectionString::Parse("A=\"x;y=z\";B='it''s';C= \"say \"\"hi\"\"\" ;D='';E=\"a'b\"");
  EXPECT_EQ(cs.Get("a"), "x;y=z");
  EXPECT_EQ(cs.Get("b"), "it's");
  EXPECT_EQ(cs.Get("c"), "say \"hi\"");
  EXPECT_EQ(cs.Get("d"), "");
  EXPECT_EQ(cs.Get("e"), "a'b");
  // Later keys win and empty pieces are skipped.
  cs = ConnectionString::Parse(";;Data Source=a;;data source=b;");
  EXPECT_EQ(cs.Get("Data Source"), "b");
  EXPECT_EQ(cs.pairs().size(), 1u);
  // An unquoted value may hold "=" after the first one.
  EXPECT_EQ(ConnectionString::Parse("Password=a=b").Get("password"), "a=b");
  // Malformed strings fail, and quoting round trips.
  for (const char* bad : {"Provider", "A=\"open", "A='x' y;B=1", "A=1;junk;B=2"}) {
    EXPECT_THROW(ConnectionString::Parse(bad), ProviderError) << bad;
  }
  // Quoting round trips.
  EXPECT_EQ(QuoteConnectionValue("plain value"), "plain value");
  EXPECT_EQ(QuoteConnectionValue(" lead"), " lead");
  EXPECT_EQ(QuoteConnectionValue("a;b"), "\"a;b\"");
  EXPECT_EQ(QuoteConnectionValue("a\"b"), "'a\"b'");
  EXPECT_EQ(QuoteConnectionValue("a'b"), "\"a'b\"");
  EXPECT_EQ(QuoteConnectionValue("'\""), "\"'\"\"\"");
  for (const std::string v : {"a;b", "x=y", "\"", "'", "'\"';=", "\"\"", "  ;  ", "数;据"}) {
    auto cs = ConnectionString::Parse("K=" + QuoteConnectionValue(v) + ";L=1");
    EXPECT_EQ(cs.Get("K"), v);
    EXPECT_EQ(cs.Get("L"), "1");
  }
}

}  // namespace
}  // namespace provider
