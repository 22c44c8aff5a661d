// Random values for random tables: Chinese text, characters no compression
// can store, quotes and line breaks, long memos, extreme numbers. Every value
// fits the column it is made for.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "jet/create/spec.h"
#include "jet/value.h"
#include "text/utf8.h"

namespace jet::testing {

class RandomValues {
 public:
  explicit RandomValues(uint64_t seed) : g_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(g_) < p; }
  uint64_t U64() { return g_(); }
  double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g_); }

  // Text of at most `max_units` UTF-16 units; characters beyond the Basic
  // Multilingual Plane and tabs only where no index holds them.
  std::string Text(int max_units, bool indexed) {
    // ASCII, Chinese, characters whose low byte is zero (never
    // compressible), Latin-1, quotes, commas and line breaks.
    static const std::vector<std::string> kPieces = {"a",  "Z",  "7",  " ",    "北",     "京", "上",
                                                     "海", "一", "丁", "Ā",    "é",      "ß",  "\"",
                                                     ",",  "'",  "\n", "客户", "BEIJING"};
    static const std::vector<std::string> kRareUnindexed = {"😀", "\t"};
    std::string s;
    for (size_t units = 0, target = static_cast<size_t>(Int(0, max_units));;) {
      const std::string& p =
          !indexed && Chance(0.02) ? kRareUnindexed[U64() % 2] : kPieces[U64() % kPieces.size()];
      units += text::Utf16Length(p);
      if (units > target) return s;
      s += p;
    }
  }

  // A value column `c` can hold, never NULL (NULLs are the caller's choice).
  Value For(const create::ColumnSpec& c, bool indexed) {
    switch (c.type) {
      case ColumnType::kBoolean:
        return Chance(0.5);
      case ColumnType::kByte:
        return static_cast<uint8_t>(Chance(0.2) ? 255 : Int(0, 255));
      case ColumnType::kInteger:
        return static_cast<int16_t>(Chance(0.2) ? (Chance(0.5) ? INT16_MIN : INT16_MAX)
                                                : Int(-500, 500));
      case ColumnType::kLong:
        return Chance(0.2) ? (Chance(0.5) ? INT32_MIN : INT32_MAX) : static_cast<int32_t>(U64());
      case ColumnType::kCurrency:
        return Currency{Chance(0.2) ? (Chance(0.5) ? INT64_MIN : INT64_MAX)
                                    : static_cast<int64_t>(U64() >> Int(1, 60))};
      case ColumnType::kSingle: {
        using L = std::numeric_limits<float>;
        const float picks[] = {L::max(), -L::max(), L::denorm_min(), -L::min(), 0.0f, -1.5f};
        return Chance(0.4) ? picks[Int(0, 5)] : static_cast<float>(Real(-1e6, 1e6));
      }
      case ColumnType::kDouble: {
        using L = std::numeric_limits<double>;
        const double picks[] = {L::max(), -L::max(), L::denorm_min(), -L::min(), 0.0, -0.0, 1e-300};
        return Chance(0.4) ? picks[Int(0, 6)] : Real(-1e12, 1e12);
      }
      case ColumnType::kDateTime:
        // Whole seconds, as Access's own forms enter them: the independent
        // checker rounds what it reads to milliseconds before computing a
        // key, so a finer fraction would only differ there.
        return DateTime{std::round(Real(-657434.0, 2958465.0) * 86400.0) / 86400.0};
      case ColumnType::kBinary:
      case ColumnType::kOle: {
        const int max = c.type == ColumnType::kBinary ? c.max_length : Chance(0.25) ? 20000 : 100;
        Bytes b(static_cast<size_t>(Int(0, max)));
        for (auto& x : b) x = static_cast<uint8_t>(U64());
        return b;
      }
      case ColumnType::kText:
        return Text(c.max_length, indexed);
      case ColumnType::kMemo:
        return Text(Chance(0.2) ? 20000 : 100, false);
      case ColumnType::kGuid: {
        Guid g;
        for (auto& x : g.bytes) x = static_cast<uint8_t>(U64());
        return g;
      }
      case ColumnType::kNumeric: {
        // Up to the column's precision in digits (18 at most), the largest
        // such number one time in five.
        uint64_t limit = 1;
        for (int i = 0; i < std::min<int>(c.precision, 18); ++i) limit *= 10;
        const uint64_t m = Chance(0.2) ? limit - 1 : U64() % limit;
        Decimal d;
        d.scale = c.scale;
        d.negative = m != 0 && Chance(0.5);
        d.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32), 0};
        return d;
      }
      case ColumnType::kComplex:  // not in .mdb files
      case ColumnType::kBigInt:
      case ColumnType::kExtendedDateTime:
        break;
    }
    return Value();
  }

 private:
  std::mt19937_64 g_;
};

}  // namespace jet::testing
