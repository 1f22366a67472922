// A saved test opened again: every form the program writes read back, damaged files read up to
// their first unreadable line, and the blocks' extremes against a pass over every value.
#include "chart/columnsource.h"
#include "chart/wholetest.h"
#include "files/csvfile.h"
#include "files/measurementfile.h"
#include "files/reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators(), en{".", ","};

std::string TextFile(std::vector<float> values, int decimals, const NumberSeparators& separators) {
  return BuildMeasurementFile(
      {"08.12.2026 06:00:00", SampleRate::Hz10, true, values, decimals, separators});
}

// A test of three values with a pause of 4 s before the third, as a saved file or a stream has it.
const std::vector<float> kValues{940.3f, -2.5f, 12.0f};
const std::vector<Lamps> kLamps{0b000001, 0b100100, 0};
std::string Csv(bool stream) {
  CsvHead head{{2026, 12, 8, 6, 0, 0, 60}, 320, false, 1, "KM470", "COM3"};
  head.test = {ForceUnit::N, {"Feder-0012", "Bank", "A-7", ""}, {std::nullopt, 900}};
  TestResults results;
  const auto secondsOf = [](std::uint64_t i) { return i / 320.0 + (i >= 2 ? 4 : 0); };
  for (std::size_t i = 0; i < kValues.size(); ++i)
    results.Add(kValues[i], secondsOf(i));
  const CsvSummary summary{AddSeconds(head.start, 4.01), results,
                           JudgeMaximum(results.Max(), head.test.limits, 1)};
  if (!stream)
    head.summary = summary;
  std::string text = BuildCsvFile(head, {kValues, kLamps, secondsOf}, de);
  return stream ? text + CsvSummaryText(head, summary, de) : text;
}

TEST(OpenedTestTest, EveryFormReadsBackAndADamagedFileUpToItsFirstUnreadableLine) {
  const std::string stream = Csv(true);
  const std::string head = "Datei erzeugt von Programm dynlog.exe am 08.12.2026\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    NumberSeparators system;
    std::vector<float> values;
    std::uint64_t unreadLine; // 0: none
  };
  for (const Case& c : std::vector<Case>{
           {"text", TextFile({1234.5f, -1, 12.5f}, 1, de), de, {1234.5f, -1, 12.5f}, 0},
           {"text of another system", TextFile({1234, 5}, 0, en), de, {1234, 5}, 0},
           {"1,500 and 2,000 read as a German system wrote them",
            TextFile({1.5f, 2}, 3, de),
            de,
            {1.5f, 2},
            0},
           {"the same as an English one", TextFile({1.5f, 2}, 3, de), en, {1500, 2000}, 0},
           {"text with a line that contradicts",
            TextFile({1.5f, 2}, 3, de) + "12.50\r\n",
            de,
            {1.5f, 2},
            6},
           {"saved CSV", Csv(false), de, kValues, 0},
           {"stream", stream, de, kValues, 0},
           {"stream cut in a line",
            stream.substr(0, stream.find("4,006")) + "4,00",
            de,
            {940.3f, -2.5f},
            18},
           {"stray text",
            Csv(false).insert(Csv(false).find("0,003125"), "x\r\n"),
            de,
            {940.3f},
            25},
           {"value after the end lines", stream + "5;1;0;0;0;0;0;0\r\n", de, kValues, 27},
           {"lamp other than 0 or 1",
            stream.substr(0, stream.find("4,006")) + "4;1;2;0;0;0;0;0\r\n",
            de,
            {940.3f, -2.5f},
            18},
           {"time going back",
            stream.substr(0, stream.find("4,006")) + "0,001;1;0;0;0;0;0;0\r\n",
            de,
            {940.3f, -2.5f},
            18},
           {"another program's head", "Time;Force\r\n0.0;1\r\n", de, {}, 1},
           {"empty", "", de, {}, 1},
           {"head cut", head, de, {}, 2},
           {"unknown rate", head + "Einstellung: 7 Messwerte pro Sekunde\r\n\r\n1\r\n", de, {}, 2},
           {"line too long", head + std::string(70000, '1'), de, {}, 2},
       }) {
    // Whole, and in pieces of 7 bytes that cut lines anywhere.
    for (const std::size_t piece : {c.bytes.size() + 1, std::size_t{7}}) {
      TestFileReader reader(c.system);
      for (std::size_t at = 0; at < c.bytes.size(); at += piece)
        reader.Feed(std::string_view(c.bytes).substr(at, piece));
      const OpenedTest test = reader.Finish();
      std::vector<float> values;
      for (std::uint64_t i = 0; i < test.values.Count(); ++i)
        values.push_back(test.values.Value(i));
      EXPECT_EQ(values, c.values) << c.name;
      EXPECT_EQ(test.unread ? test.unread->line : 0, c.unreadLine) << c.name << ' ' << piece;
    }
  }

  // What the heads say, and the times: from the rate for the text file, as written for the CSV.
  const OpenedTest text = ReadTestBytes(TextFile({1, 2}, 1, de), de);
  EXPECT_TRUE(text.timesFromRate);
  EXPECT_EQ(text.created, "08.12.2026 06:00:00");
  EXPECT_EQ(text.head.valuesPerSecond, 10);
  EXPECT_TRUE(text.head.averaging);
  EXPECT_EQ(text.head.decimalPlaces, 1);
  EXPECT_EQ(text.values.SecondsOf(1), 0.1);
  const OpenedTest csv = ReadTestBytes(stream, de);
  EXPECT_EQ(csv.head.test.trace.part, "Feder-0012");
  EXPECT_EQ(csv.head.test.unit, ForceUnit::N);
  EXPECT_EQ(csv.head.test.limits.upper, 900);
  EXPECT_EQ(csv.verdictText, "n.i.O.");
  EXPECT_EQ(csv.maximum->value + csv.minimum->decimals, 940.3 + 1);
  EXPECT_EQ(ReadTestBytes(stream + "# Maximum;940,3;2,5\r\n", de).maximum->seconds, 2.5);
  EXPECT_EQ(csv.head.summary->verdict.outcome, VerdictOutcome::FailHigh);
  EXPECT_EQ(Iso8601(csv.head.summary->end), "2026-12-08T06:00:04+01:00");
  EXPECT_EQ(csv.values.SecondsOf(2), 4.00625);
  EXPECT_EQ(csv.values.Gaps(), 1u);
  EXPECT_EQ(csv.values.LampsOf(1), 0b100100);
  EXPECT_EQ(UnreadLineText(*ReadTestBytes("", de).unread), "Zeile 1 nicht lesbar: Datei ist leer");
  std::string cr = Csv(false); // lines ended by CR alone, short or longer than any line
  std::erase(cr, '\n');
  for (const std::string& bytes : {cr, cr + std::string(70000, '\r')})
    EXPECT_EQ(ReadTestBytes(bytes, de).unread->why, "Zeilen enden mit CR allein statt mit CR LF");
}

TEST(OpenedTestTest, BlockExtremesAreThoseOfEveryValue) {
  std::mt19937 random(7);
  // Up to five levels of blocks over two pages: every level is built and read the same way.
  for (const std::uint64_t count : {1u, 8u, 9u, 100u, 4097u, 100001u}) {
    TestValues values(320);
    std::vector<float> all;
    for (std::uint64_t i = 0; i < count; ++i) {
      all.push_back(static_cast<float>(random() % 2001) - 1000);
      values.AppendAt(all.back(), 0, i / 320.0 + (i >= count / 3 ? 2.5 : 0), 1e-7);
    }
    values.Finish();
    const auto secondsOf = [&](std::uint64_t i) { return values.SecondsOf(i); };
    const TestValuesColumns source(values);
    for (int n = 0; n < 40; ++n) {
      const std::uint64_t from = random() % count, to = from + 1 + random() % (count - from);
      ASSERT_EQ(source.IndexAt(secondsOf(from)), from);
      ASSERT_EQ(source.IndexAt(secondsOf(from) + 1e-6), from + 1);
      const auto first = all.begin() + from, last = all.begin() + to;
      const StretchFigures f = values.Stretch(from, to);
      ASSERT_EQ(f.max, *std::max_element(first, last)) << count << ' ' << from << ' ' << to;
      ASSERT_EQ(f.min, *std::min_element(first, last));
      ASSERT_EQ(f.maxSeconds, secondsOf(std::max_element(first, last) - all.begin()));
      ASSERT_EQ(f.minSeconds, secondsOf(std::min_element(first, last) - all.begin()));
      ASSERT_NEAR(f.mean, std::accumulate(first, last, 0.0) / (to - from), 1e-9);
      const int columns = 1 + static_cast<int>(random() % 700);
      const auto fitted =
          FitColumns(std::span(all).subspan(from, to - from), columns, from, secondsOf);
      const auto read = values.Columns(from, to, columns);
      ASSERT_EQ(read.size(), fitted.size());
      for (std::size_t i = 0; i < read.size(); ++i)
        ASSERT_TRUE(read[i].column == fitted[i].column && read[i].min == fitted[i].min &&
                    read[i].max == fitted[i].max && read[i].first == fitted[i].first &&
                    read[i].last == fitted[i].last);
    }
  }
  // A one-value spike at the start, the end and a block border is in the columns of every zoom
  // that holds it. Every level of blocks is built and read the same way, so a long test's 9
  // million values are taken at a 64th: the same shape two levels lower, four whole blocks of the
  // top level and a part of one, the middle spike on a border two levels below the top.
  const std::uint64_t count = 9'000'000 / 64;
  const std::uint64_t spikes[] = {0, count - 1, 262144 / 64};
  TestValues values(320);
  for (std::uint64_t i = 0; i < count; ++i)
    values.Append(std::count(std::begin(spikes), std::end(spikes), i) ? 5000.0f : i % 100);
  values.Finish();
  for (const std::uint64_t spike : spikes)
    for (std::uint64_t width = count; width >= 2; width /= 3) {
      const std::uint64_t from =
          spike >= width / 2 ? std::min(spike - width / 2, count - width) : 0;
      float highest = 0;
      for (const ChartColumn& c : values.Columns(from, from + width, 600))
        highest = std::max(highest, c.max);
      ASSERT_EQ(highest, 5000.0f) << spike << ' ' << width;
    }
}

} // namespace
} // namespace dynlog
