// Fields: classes made from column descriptions, naming, and the text
// forms with their parsing rules and failures.
#include <gtest/gtest.h>

#include <cmath>

#include "data/db_error.h"
#include "data/field_factory.h"
#include "tests/data/core/memory_fixture.h"
#include "text/calendar.h"
#include "text/date_text.h"

namespace data {
namespace {

using namespace provider;  // NOLINT: column type names
using testing::MemoryCatalogScope;

RegionalSettings TestRegional() {
  RegionalSettings r;
  r.decimal_separator = '.';
  r.short_date_format = "yyyy/M/d";
  r.long_time_format = "H:mm:ss";
  r.date_separator = '/';
  r.time_separator = ':';
  r.time_am = "AM";
  r.time_pm = "PM";
  r.current_year = 2026;
  return r;
}

ColumnInfo Col(std::string name, int type, int64_t size = 0, int precision = 0, int scale = 0) {
  ColumnInfo c = MemoryColumn(std::move(name), type, size);
  c.precision = precision;
  c.scale = scale;
  return c;
}

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = scope_.Add("f.mdb");
    ColumnInfo id = Col("ID", adInteger);
    id.auto_increment = true;
    ColumnInfo ro = Col("RO", adInteger);
    ro.attributes = adFldIsNullable;
    MemoryTable& t = db_->AddTable("T", {Col("S", adVarChar, 10),
                                         Col("W", adVarWChar, 10),
                                         Col("Sm", adSmallInt),
                                         Col("I", adInteger),
                                         Col("Wd", adUnsignedSmallInt),
                                         Col("L", adBigInt),
                                         Col("F", adDouble),
                                         Col("C", adCurrency),
                                         Col("N", adNumeric, 0, 18, 2),
                                         Col("B", adBoolean),
                                         Col("DT", adDate),
                                         Col("D", adDBDate),
                                         Col("Tm", adDBTime),
                                         Col("M", adLongVarWChar),
                                         Col("Bl", adLongVarBinary),
                                         Col("By", adBinary, 4),
                                         Col("VB", adVarBinary, 4),
                                         Col("G", adGUID),
                                         Col("V", adVariant),
                                         id,
                                         ro,
                                         Col("X", adIDispatch),
                                         Col("N6", adNumeric, 0, 18, 6)});
    std::vector<Variant> nulls(t.columns.size());
    t.rows.push_back(nulls);
    std::vector<Variant> values = nulls;
    values[0] = std::string("abc");
    values[1] = std::string("宽字符");
    values[6] = 0.1 + 0.2;
    values[7] = Currency{125000};
    values[9] = true;
    values[10] = DateTime{text::EncodeDate(2024, 3, 5) + text::EncodeTime(13, 4, 5, 0)};
    values[13] = std::string("memo text");
    values[19] = int64_t{7};
    t.rows.push_back(values);
    dm_.ADOConnection1.SetConnectionString(BuildConnectionString("f.mdb", ""));
    query_.SetConnection(&dm_.ADOConnection1);
    query_.SetRegional(TestRegional());
    query_.SQL().Add("Select * From T");
    query_.Open();
  }

  TField& F(const char* name) { return query_.FieldByName(name); }

  // Writes `text` into field `name` of the first row and returns the text
  // read back, or the failure's message prefixed with "!".
  std::string Write(const char* name, const std::string& text) {
    if (query_.State() != TDataSetState::Editing) query_.Edit();
    try {
      F(name).SetTextValue(text);
    } catch (const std::exception& e) {
      return std::string("!") + e.what();
    }
    return F(name).TextValue();
  }

  MemoryCatalogScope scope_;
  std::shared_ptr<MemoryDatabase> db_;
  TShareDataModule dm_;
  TADOQuery query_{"ADOQuery1"};
};

TEST_F(FieldTest, ClassesFromColumnTypes) {
  struct Row {
    const char* field;
    const char* class_name;
    TFieldType type;
    int size;
  };
  const Row rows[] = {
      {"S", "TStringField", ftString, 10},
      {"W", "TWideStringField", ftWideString, 10},
      {"Sm", "TSmallintField", ftSmallint, 0},
      {"I", "TIntegerField", ftInteger, 0},
      {"Wd", "TWordField", ftWord, 0},
      {"L", "TLargeintField", ftLargeint, 0},
      {"F", "TFloatField", ftFloat, 0},
      {"C", "TBCDField", ftBCD, 4},
      {"N", "TBCDField", ftBCD, 2},
      {"B", "TBooleanField", ftBoolean, 0},
      {"DT", "TDateTimeField", ftDateTime, 0},
      {"D", "TDateField", ftDate, 0},
      {"Tm", "TTimeField", ftTime, 0},
      {"M", "TMemoField", ftMemo, 0},
      {"Bl", "TBlobField", ftBlob, 0},
      {"By", "TBytesField", ftBytes, 4},
      {"VB", "TVarBytesField", ftVarBytes, 4},
      {"G", "TGuidField", ftGuid, 38},
      {"V", "TVariantField", ftVariant, 0},
      {"ID", "TAutoIncField", ftAutoInc, 0},
      {"RO", "TIntegerField", ftInteger, 0},
      {"X", "TIDispatchField", ftIDispatch, 0},
  };
  for (const Row& r : rows) {
    TField& f = F(r.field);
    EXPECT_STREQ(f.ClassName(), r.class_name) << r.field;
    EXPECT_EQ(f.DataType(), r.type) << r.field;
    EXPECT_EQ(f.Size(), r.size) << r.field;
  }
  EXPECT_EQ(static_cast<TBCDField&>(F("N")).Precision(), 18);
  EXPECT_TRUE(F("ID").ReadOnly());
  EXPECT_TRUE(F("RO").ReadOnly());
  EXPECT_FALSE(F("I").ReadOnly());
  EXPECT_EQ(F("I").Alignment(), taRightJustify);
  EXPECT_EQ(F("S").Alignment(), taLeftJustify);
}

TEST(FieldFactory, SmallNumericsBecomeIntegersAndUnknownTypesFail) {
  EXPECT_STREQ(CreateField(Col("n", adNumeric, 0, 9, 0))->ClassName(), "TIntegerField");
  EXPECT_STREQ(CreateField(Col("n", adNumeric, 0, 10, 0))->ClassName(), "TBCDField");
  EXPECT_EQ(CreateField(Col("n", adDecimal, 0, 18, 255))->Size(), 4);
  EXPECT_EQ(CreateField(Col("u", adUserDefined)), nullptr);
  ColumnInfo unknown = Col("u", adUserDefined);
  unknown.attributes |= adFldUpdatable;
  EXPECT_EQ(CreateField(unknown), nullptr);
}

TEST(FieldNaming, UnnamedAndDuplicateColumns) {
  MemoryCatalogScope scope;
  auto db = scope.Add("n.mdb");
  db->AddTable("T", {Col("", adInteger), Col("", adInteger), Col("A", adInteger),
                     Col("a", adInteger), Col("A", adInteger), Col("A_1", adInteger)});
  TShareDataModule dm;
  dm.ADOConnection1.SetConnectionString(BuildConnectionString("n.mdb", ""));
  TADOQuery q("Q");
  q.SetConnection(&dm.ADOConnection1);
  q.SQL().Add("Select * From T");
  q.Open();
  std::vector<std::string> names;
  for (int i = 0; i < q.FieldCount(); ++i) names.push_back(q.Field(i)->FieldName());
  EXPECT_EQ(names, (std::vector<std::string>{"COLUMN1", "COLUMN2", "A", "a_1", "A_2", "A_1_1"}));
}

TEST_F(FieldTest, NullsReadEmptyValuesInTheirTextFormsAndMidnightAsTheDate) {
  for (int i = 0; i < query_.FieldCount(); ++i) {
    TField* f = query_.Field(i);
    if (f->DataType() == ftIDispatch || f->IsBlob() || f->DataType() == ftBytes ||
        f->DataType() == ftVarBytes) {
      continue;
    }
    EXPECT_EQ(f->TextValue(), "") << f->FieldName();
    EXPECT_EQ(f->DisplayText(), "") << f->FieldName();
  }
  EXPECT_EQ(F("M").DisplayText(), "(Memo)");
  EXPECT_EQ(F("Bl").DisplayText(), "(Blob)");
  EXPECT_EQ(F("By").DisplayText(), "(Bytes)");
  EXPECT_EQ(F("VB").DisplayText(), "(VarBytes)");
  EXPECT_EQ(F("X").TextValue(), "(IDispatch)");
  // The second row reads in its text forms.
  query_.Next();
  EXPECT_EQ(F("S").TextValue(), "abc");
  EXPECT_EQ(F("W").TextValue(), "宽字符");
  EXPECT_EQ(F("F").TextValue(), "0.3");
  EXPECT_EQ(F("C").TextValue(), "12.5");
  EXPECT_EQ(F("B").TextValue(), "True");
  EXPECT_EQ(F("DT").TextValue(), "2024/3/5 13:04:05");
  EXPECT_EQ(F("M").TextValue(), "memo text");
  EXPECT_EQ(F("M").DisplayText(), "(MEMO)");
  EXPECT_EQ(F("ID").TextValue(), "7");
  // A date and time at midnight reads as the date.
  db_->tables[0].rows[0][10] = DateTime{text::EncodeDate(2024, 12, 31)};
  query_.Close();
  query_.Open();
  EXPECT_EQ(F("DT").TextValue(), "2024/12/31");
  db_->tables[0].rows[0][10] =
      DateTime{text::EncodeDate(2024, 12, 31) + text::EncodeTime(0, 0, 0, 500)};
  query_.Close();
  query_.Open();
  EXPECT_EQ(F("DT").TextValue(), "2024/12/31");
  EXPECT_EQ(Write("D", "2024/2/29"), "2024/2/29");
  EXPECT_EQ(Write("Tm", "7:05"), "7:05:00");
}

// Each text written into a field of the first row, and what reads back or
// (after "!") the failure's message.
TEST_F(FieldTest, WritesParseTheTextOrNameTheFieldAndStore) {
  const struct {
    const char* field;
    const char* text;
    std::string read;
  } cases[] = {
      {"I", "42", "42"},
      {"I", "  -42", "-42"},
      {"I", "+7", "7"},
      {"I", "$1F", "31"},
      {"I", "x10", "16"},
      {"I", "0X10", "16"},
      {"I", "-$10", "-16"},
      {"I", "-2147483648", "-2147483648"},
      {"Wd", "65536",
       "!65536 is not a valid value for field 'Wd'. The allowed range is 0 to 65535"},
      {"Wd", "-1", "!-1 is not a valid value for field 'Wd'. The allowed range is 0 to 65535"},
      {"Sm", "32768",
       "!32768 is not a valid value for field 'Sm'. The allowed range is -32768 to 32767"},
      {"Sm", "-32768", "-32768"},
      {"L", "9223372036854775807", "9223372036854775807"},
      {"L", "9223372036854775808",
       "!'9223372036854775808' is not a valid integer value for field 'L'"},
      {"F", "1.5", "1.5"},
      {"F", "  -2.5e3 ", "-2500"},
      {"F", ".", "0"},
      {"F", "1E20", "1E20"},
      {"F", "0.00000015", "1.5E-7"},
      {"C", "12.50", "12.5"},
      {"C", "0.00005", "0.0001"},
      {"C", "-3", "-3"},
      {"C", "abc", "!'abc' is not a valid floating point value for field 'C'"},
      {"N", "99.125", "99.125"},
      {"B", "f", "False"},
      {"B", "FA", "False"},
      {"B", "false", "False"},
      {"B", "t", "True"},
      {"B", "TR", "True"},
      {"B", "TRUE", "True"},
      {"B", "", ""},
      {"B", "yes", "!'yes' is not a valid boolean value for field 'B'"},
      {"B", "falsey", "!'falsey' is not a valid boolean value for field 'B'"},
      {"DT", "2024/3/5 13:04:05", "2024/3/5 13:04:05"},
      {"DT", " 2024 / 3 / 5 ", "2024/3/5"},
      {"DT", "30/1/2", "2030/1/2"},
      {"DT", "80/1/2", "1980/1/2"},
      {"DT", "3/5", "2026/3/5"},
      {"DT", "2024/3/5 1:02 PM", "2024/3/5 13:02:00"},
      {"DT", "2024/3/5 pm 12:00", "2024/3/5 12:00:00"},
      {"DT", "2024/3/5 1:02:03.5 trailing", "2024/3/5 1:02:03"},
      {"DT", "13:00", "1899/12/30 13:00:00"},
      {"DT", "2024/2/30", "!'2024/2/30' is not a valid date and time"},
      {"DT", "2024/3/5 25:00", "!'2024/3/5 25:00' is not a valid date and time"},
      {"DT", "13 PM", "!'13 PM' is not a valid date and time"},
      {"D", "2024/3/5 10:00", "!'2024/3/5 10:00' is not a valid date"},
      {"D", "2023/2/29", "!'2023/2/29' is not a valid date"},
      {"Tm", "10:00 x", "!'10:00 x' is not a valid time"},
      {"Tm", "10:60", "!'10:60' is not a valid time"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Write(c.field, c.text), c.read) << c.field << ": " << c.text;
  for (const char* bad : {"12abc", "12 ", "   ", "1.5", "$", "2147483648", "--1", "1e3", "\t1"}) {
    EXPECT_EQ(Write("I", bad),
              std::string("!'") + bad + "' is not a valid integer value for field 'I'")
        << bad;
  }
  for (const char* bad : {"x", "1,5", "1.5.5", "e5", "1e", "\t1", "1e999"}) {
    EXPECT_EQ(Write("F", bad),
              std::string("!'") + bad + "' is not a valid floating point value for field 'F'");
  }
  EXPECT_EQ(Write("C", "1e16").substr(0, 42), "!1E16 is not a valid value for field 'C'. ");
  // An empty text is null.
  EXPECT_EQ(Write("I", ""), "");
  EXPECT_TRUE(F("I").IsNull());
  // Text writes refuse too long texts; other writes store.
  EXPECT_EQ(Write("W", "0123456789"), "0123456789");
  EXPECT_EQ(Write("W", "十个汉字十个汉字十个"), "十个汉字十个汉字十个");
  EXPECT_EQ(Write("W", "0123456789abcde"),
            "!A text of 15 characters does not fit field 'W' of size 10");
  EXPECT_EQ(F("W").TextValue(), "十个汉字十个汉字十个");
  EXPECT_EQ(Write("W", ""), "");
  EXPECT_FALSE(F("W").IsNull());
  EXPECT_EQ(Write("S", std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(Write("S", "01234567890"), "!A text of 11 bytes does not fit field 'S' of size 10");
  EXPECT_EQ(Write("S", ""), "");
  EXPECT_TRUE(F("S").IsNull());
  EXPECT_EQ(Write("By", "12345"), "!A text of 5 bytes does not fit field 'By' of size 4");
  query_.Cancel();
  EXPECT_EQ(db_->rows_written, 0);
  EXPECT_EQ(Write("M", "long text"), "long text");
  EXPECT_EQ(F("M").DisplayText(), "(MEMO)");
  EXPECT_EQ(Write("Bl", "bytes"), "bytes");
  EXPECT_EQ(Write("VB", "ab"), "ab");
  EXPECT_EQ(Write("V", "anything"), "anything");
  EXPECT_EQ(Write("ID", "5"), "!Field 'ID' cannot be modified");
  EXPECT_EQ(Write("RO", "5"), "!Field 'RO' cannot be modified");
  EXPECT_EQ(Write("X", "5"), "!Cannot access field 'X' as type String");
  query_.Post();
  EXPECT_EQ(db_->rows_written, 1);
  EXPECT_EQ(F("M").TextValue(), "long text");
}

// A decimal too large for the field shows an overflow; one with more than
// four places keeps them.
TEST_F(FieldTest, DecimalsShowOverflowAndKeepMoreThanFourPlaces) {
  Decimal big;
  big.magnitude = {0xFFFFFFFFu, 0xFFFFFFFFu, 0x1u};
  db_->tables[0].rows[0][8] = big;
  Decimal d;
  d.scale = 6;
  d.magnitude = {1234567, 0, 0};  // 1.234567
  db_->tables[0].rows[0][22] = d;
  query_.Close();
  query_.Open();
  EXPECT_EQ(F("N").DisplayText(), "BCD overflow");
  EXPECT_EQ(F("N").TextValue(), "36893488147419103231");
  TField& f = F("N6");
  EXPECT_EQ(f.Size(), 6);
  EXPECT_EQ(f.TextValue(), "1.234567");
  EXPECT_EQ(f.DisplayText(), "1.234567");
  EXPECT_EQ(Write("N6", f.TextValue()), "1.234567");  // a rewrite stores the same value
  EXPECT_EQ(Write("N6", "-2.0000005"), "-2.000001");
  EXPECT_THROW(f.SetTextValue("1e30"), EDatabaseError);
  query_.Post();
  const Decimal stored = std::get<Decimal>(db_->tables[0].rows[0][22]);
  EXPECT_TRUE(stored.negative);
  EXPECT_EQ(stored.magnitude[0], 2000001u);
}

TEST(SystemRegional, PatternsThatReadBackOrTheDefaults) {
  // The C locale writes two-digit years: its date pattern is not taken.
  setenv("LC_ALL", "C", 1);
  RegionalSettings r = SystemRegionalSettings();
  EXPECT_EQ(r.short_date_format, "yyyy/M/d");
  EXPECT_EQ(r.date_separator, '/');
  EXPECT_EQ(r.long_time_format, "hh:nn:ss");
  EXPECT_EQ(r.decimal_separator, '.');
  // What it writes, it reads.
  r.current_year = 2026;
  const double when = text::EncodeDate(1890, 7, 4) + text::EncodeTime(8, 9, 10, 0);
  EXPECT_EQ(text::ParseDateTime(text::FormatDateTime("c", when, r), r), when);
}

}  // namespace
}  // namespace data
