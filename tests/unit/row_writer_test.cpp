#include "rows/row_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "bytes/bytes_of.h"
#include "bytes/utf8.h"
#include "message/header_copier.h"
#include "rows/row_sink.h"
#include "support/row_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_streams.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;
using testing::ScriptedOutput;

// The rows written for an input, handed to the message rule in pieces of
// the sizes given, in turn and round again (whole if none), each from a
// buffer that, as a reader's, holds other bytes once it has been fed; after
// `before` bytes of other output, so that rows meet a block's end anywhere.
std::string written(model::Rows format, const std::string& names, const std::string& input,
                    const std::string& input_name, const std::vector<std::size_t>& cuts = {},
                    StreamKind kind = StreamKind::Pipe, std::size_t before = 0) {
  const ColumnListResult list = parse_column_list(names);
  ScriptedChannel channel(kind);
  ScriptedOutput out(channel, StreamMode::Binary);
  const RowFormat row_format = format == model::Rows::Tsv    ? RowFormat::Tsv
                               : format == model::Rows::Json ? RowFormat::JsonLines
                                                             : RowFormat::Csv;
  EXPECT_TRUE(out.writer.write_bytes(bytes_of(std::string(before, '-'))));
  RowSink sink(list.list, out.writer, row_format, false);
  sink.write_start(false);
  sink.begin_input(input_name);
  HeaderCopier<RowSink> copier(sink);
  std::vector<unsigned char> buffer;
  std::size_t turn = 0;
  for (std::span<const unsigned char> rest = bytes_of(input); !rest.empty();) {
    const std::size_t piece =
        std::min(cuts.empty() ? rest.size() : cuts[turn++ % cuts.size()], rest.size());
    buffer.assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(piece));
    copier.feed(buffer);
    std::ranges::fill(buffer, '#');
    rest = rest.subspan(piece);
  }
  copier.finish();
  EXPECT_EQ(sink.error(), 0);
  EXPECT_TRUE(out.writer.flush());
  return channel.written().substr(before);
}

struct RowCase {
  const char* what;
  model::Rows format;
  std::string names;
  std::string input;
  std::string input_name;
  std::string rows;
};

TEST(RowWriterTest, EveryByteOfEveryColumnAsItsFormatSays) {
  using model::Rows;
  const std::string mailbox = "From a\nSubject: s\n\nbody\nFrom b\nDate: d\n\n";
  std::vector<RowCase> cases = {
      {"a TSV row a message, offsets in the input", Rows::Tsv, "subject,date", mailbox, "stdin",
       "stdin\t0\ts\t\nstdin\t24\t\td\n"},
      {"TSV escapes, the input's name too", Rows::Tsv, "subject",
       "Subject: a\\b\tc\rd \xe9\x01\n\n", "dir\\a\tb\nc",
       "dir\\\\a\\tb\\nc\t0\ta\\\\b\\tc\\rd \xe9\x01\n"},
      {"the JSON shape, names as given", Rows::Json, "subject:,Date,input", mailbox, "m.box",
       "{\"input\":\"m.box\",\"offset\":0,\"fields\":{\"subject\":\"s\",\"Date\":null,"
       "\"input\":null}}\n"
       "{\"input\":\"m.box\",\"offset\":24,\"fields\":{\"subject\":null,\"Date\":\"d\","
       "\"input\":null}}\n"},
      {"JSON escapes; DEL is no control", Rows::Json, "x", "X: \"q\" \\ \x01\x1f\b\f\t\r\x7f.\n\n",
       "in",
       "{\"input\":\"in\",\"offset\":0,\"fields\":{\"x\":"
       "\"\\\"q\\\" \\\\ \\u0001\\u001f\\b\\f\\t\\r\x7f.\"}}\n"},
      {"well-formed UTF-8 is kept", Rows::Json, "x", "X: \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\n\n",
       "in",
       "{\"input\":\"in\",\"offset\":0,\"fields\":{\"x\":\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"}}"
       "\n"},
      // Overlong, surrogate, above U+10FFFF, a lone continuation, cut short,
      // bytes that begin nothing: each byte that begins no sequence is one U+FFFD.
      {"U+FFFD for each byte", Rows::Json, "x",
       "X: \xc0\x80|\xed\xa0\x80|\xf4\x90\x80\x80|\x80|\xe2\x82x|\xf5\xff\n\n", "in",
       "{\"input\":\"in\",\"offset\":0,\"fields\":{\"x\":\""
       "\xef\xbf\xbd\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd|"
       "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd|\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbdx|"
       "\xef\xbf\xbd\xef\xbf\xbd\"}}\n"},
      {"names and the input's name alike", Rows::Json, "\xe9", "\xe9: v\n\n", "caf\xe9",
       "{\"input\":\"caf\xef\xbf\xbd\",\"offset\":0,\"fields\":{\"\xef\xbf\xbd\":\"v\"}}\n"},
      {"a name's control bytes as a report shows them", Rows::Tsv, "x", "X: \x1b[31m\n\n",
       "a\x1b\x01\x7f\tb", "a???\\tb\t0\t\x1b[31m\n"},
      {"U+2028 and U+2029 escaped", Rows::Json, "x",
       "X: a\xe2\x80\xa8"
       "b\xe2\x80\xa9\n\n",
       "in", "{\"input\":\"in\",\"offset\":0,\"fields\":{\"x\":\"a\\u2028b\\u2029\"}}\n"},
      {"CSV: headings, quotes where needed, CR LF", Rows::Csv, "subject, x :,y",
       "Subject: a, \"b\"\nX: plain\nY: \xff\n\n", "d\"ir,\x01",
       "input,offset,subject,x,y\r\n\"d\"\"ir,?\",0,\"a, \"\"b\"\"\",plain,\xef\xbf\xbd\r\n"},
      {"computed and raw columns together", Rows::Tsv, ":size,subject", mailbox, "in",
       "in\t0\t24\ts\nin\t24\t16\t\n"},
      {"sizes in JSON and CSV", Rows::Json, ":size", mailbox, "in",
       "{\"input\":\"in\",\"offset\":0,\"fields\":{\":size\":24}}\n"
       "{\"input\":\"in\",\"offset\":24,\"fields\":{\":size\":16}}\n"},
  };
  // A row is handed over whole up to a size, and longer ones in pieces.
  const std::string long_value = std::string(1500, 'x') + "\t\xff" + std::string(1500, 'y');
  cases.push_back(
      {"a long row", Rows::Tsv, "x,y", "X: " + long_value + "\nY: y\n\n", "in",
       "in\t0\t" + std::string(1500, 'x') + "\\t\xff" + std::string(1500, 'y') + "\ty\n"});
  cases.push_back({"a long row", Rows::Json, "x", "X: " + long_value + "\n\n", "in",
                   "{\"input\":\"in\",\"offset\":0,\"fields\":{\"x\":\"" + std::string(1500, 'x') +
                       "\\t\xef\xbf\xbd" + std::string(1500, 'y') + "\"}}\n"});
  cases.push_back({"a long row", Rows::Csv, "x,y", "X: " + std::string(1500, 'x') + ",\nY: y\n\n",
                   "in", "input,offset,x,y\r\nin,0,\"" + std::string(1500, 'x') + ",\",y\r\n"});
  for (const RowCase& c : cases) {
    EXPECT_EQ(model::rows(c.format, c.input, c.input_name, c.names), c.rows)
        << "the model, " << c.what;
    EXPECT_EQ(written(c.format, c.names, c.input, c.input_name), c.rows) << c.what;
    EXPECT_EQ(written(c.format, c.names, c.input, c.input_name, {1}, StreamKind::Device), c.rows)
        << c.what << ", a byte at a time, to a terminal";
  }
}

// What each view writes in each format: lists one space apart or as
// arrays, numbers as digits, nothing found as an empty column or null.
TEST(RowWriterTest, ViewsInEveryFormat) {
  using model::Rows;
  const std::string mail =
      "From a\nDate: Thu, 29 Aug 2002 10:00:00 +0200 (CEST)\n"
      "From: \"Doe, John\" <John@Example.COM>\nTo: Friends: a@x, \"B, C\" <b@y>;, c@z\n"
      "Message-ID: <m1@x>\n\n"
      "From b\nDate: 31 Apr 2002 10:00 GMT\nIn-Reply-To: Message of \"x\" <m1@x>\n"
      "References: <m0@x>\n <m1@x>\n\n";
  const std::string columns = "date:iso,date:epoch,to:addr,from:name,message-id:id,:parent";
  const std::vector<RowCase> cases = {
      {"TSV", Rows::Tsv, columns, mail, "in",
       "in\t0\t2002-08-29T08:00:00Z\t1030608000\ta@x b@y c@z\tDoe, John\tm1@x\t\n"
       "in\t146\t\t\t\t\t\tm1@x\n"},
      {"JSON", Rows::Json, columns, mail, "in",
       "{\"input\":\"in\",\"offset\":0,\"fields\":{\"date:iso\":\"2002-08-29T08:00:00Z\","
       "\"date:epoch\":1030608000,\"to:addr\":[\"a@x\",\"b@y\",\"c@z\"],"
       "\"from:name\":\"Doe, John\",\"message-id:id\":[\"m1@x\"],\":parent\":null}}\n"
       "{\"input\":\"in\",\"offset\":146,\"fields\":{\"date:iso\":null,\"date:epoch\":null,"
       "\"to:addr\":[],\"from:name\":null,\"message-id:id\":[],\":parent\":\"m1@x\"}}\n"},
      {"CSV", Rows::Csv, columns, mail, "in",
       "input,offset,date:iso,date:epoch,to:addr,from:name,message-id:id,:parent\r\n"
       "in,0,2002-08-29T08:00:00Z,1030608000,a@x b@y c@z,\"Doe, John\",m1@x,\r\n"
       "in,146,,,,,,m1@x\r\n"},
  };
  for (const RowCase& c : cases) {
    if (const std::optional<std::string> m =
            model::rows(c.format, c.input, c.input_name, c.names)) {
      EXPECT_EQ(*m, c.rows) << "the model, " << c.what;
    }
    EXPECT_EQ(written(c.format, c.names, c.input, c.input_name), c.rows) << c.what;
    EXPECT_EQ(written(c.format, c.names, c.input, c.input_name, {1}, StreamKind::Device), c.rows)
        << c.what << ", a byte at a time, to a terminal";
  }
}

TEST(Utf8Test, WellFormedSequencesAreThoseThatDecodeToACharacter) {
  // Every first and second byte; the bytes after them at the edges of the
  // continuation range and just outside it; and each sequence cut short.
  constexpr std::array<unsigned char, 4> kEdges = {0x7F, 0x80, 0xBF, 0xC0};
  std::size_t differ = 0;
  for (unsigned first = 0; first < 256; ++first) {
    for (unsigned second = 0; second < 256; ++second) {
      for (const unsigned char third : kEdges) {
        for (const unsigned char fourth : kEdges) {
          const std::array<unsigned char, 4> bytes = {
              static_cast<unsigned char>(first), static_cast<unsigned char>(second), third, fourth};
          const std::string text(bytes.begin(), bytes.end());
          for (std::size_t n = third == 0x80 && fourth == 0x80 ? 1 : 4; n <= 4; ++n) {
            const std::size_t expected = model::decode_utf8(text.substr(0, n), 0).length;
            if (well_formed_length(std::span(bytes).first(n)) != expected) ++differ;
          }
        }
      }
    }
  }
  EXPECT_EQ(differ, 0U);
}

// Mail-like bytes for headers: names wanted and not, white space before
// colons, folds, both line ends, lone CRs, separators, and bytes to escape;
// and lines of the fields views read, their values one to three pieces of
// date-times (well-formed, obsolete, asctime's, impossible, a Received's),
// address lists (groups, quoted names with commas, comments, routes, junk)
// and msg-ids (In-Reply-To's phrases among them), whole and in pieces.
std::string random_mail(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {"From a\n",
                                                   "\n",
                                                   "\r\n",
                                                   "\r",
                                                   "Subject: x",
                                                   "subject :y",
                                                   "DATE:",
                                                   "Date\t: d",
                                                   " fold",
                                                   "\tmore",
                                                   "  ",
                                                   "\t",
                                                   " \t",
                                                   ":",
                                                   "To",
                                                   "From ",
                                                   "From",
                                                   "X-Subject: ",
                                                   "Subject-X: n",
                                                   "no colon",
                                                   "\xc3\xa9",
                                                   "\xff",
                                                   "\xe2\x82",
                                                   "\"\\\x01",
                                                   std::string(70, 'b')};
  struct Viewed {
    std::vector<std::string> names;  // each after the line end that begins it
    std::vector<std::string> values;
    std::vector<std::string> separators;  // between two values
  };
  static const std::vector<Viewed> kViewed = {
      {{"\nDate: ", "\nDATE:", "\nReceived: from x by y;", "\r\ndate\t: "},
       {"Thu, 29 Aug 2002 10:00:00 +0200", "Fri, 9 Aug 02 10:00 -0700 (PDT)",
        "Mon Jan  1 00:00:00 2001", "Mon Jan  1 00:00:00 EST 2001",
        "(c) 1 (d) Jan 1970 00 : 00:00 +0100", "31 Dec 9999 23:59:59 -0001",
        "29 Feb 2000 12:00:00 Z", "29 Feb 2001 12:00:00 GMT", "31 Apr 2002 10:00 EST",
        "1 Jan 1900 24:00 +0000", "Sun, 31 Dec 1899 23:00 +0000", "Sat, 1 Jan 49 00:00 CEST",
        "Wed, 9 Aug 50 10:00 +0000", "Fri, 1 Jan 102 00:00 +2359",
        "Wed, 29 Aug 2002 10:00:00 +02:00", "from x by y; ", "; Tue, 1 Dec 2026 16:40:02 -0800",
        " (CEST)", "x"},
       {"", " "}},
      {{"\nFrom: ", "\nTo: ", "\r\nto\t: ", "\nfrom:"},
       {"Ann <a@example.org>",
        "\"Doe, J\" <J@X.Example>",
        "a@b (Name)",
        "Friends: a@x, \"B, C\" <b@y>;",
        "undisclosed-recipients:;",
        "Name <@r1,@r2:x@y>",
        "\"a b\"@x",
        "x@[1.2.3.4]",
        "Dr. Who <w@x>",
        "John (Johnny) <j@x (c)>",
        "MAILER-DAEMON",
        "a@b <a@b>",
        "local . part @ Domain.COM",
        "G: ",
        ", ",
        ", ",
        ";",
        "<",
        ">",
        "@",
        "\"",
        "("},
       {", ", ", ", ",", "", " ; "}},
      {{"\nMessage-ID: ", "\nReferences: ", "\nIn-Reply-To: ", "\nmessage-id:"},
       {"<20261130.A1@example.org>", "<a@b> <c@d>", "x@y", "Your message of \"Mon\" <e@f>",
        "<a b@c>", "(<n@m>)", "<<a@b>>", " ", "<", ">"},
       {" ", ""}}};
  std::uniform_int_distribution<std::size_t> pick(0, 1000);
  std::uniform_int_distribution<std::size_t> count(0, 40);
  const auto any = [&](const std::vector<std::string>& list) -> const std::string& {
    return list[pick(rng) % list.size()];
  };
  std::string mail;
  for (std::size_t n = count(rng); n > 0; --n) {
    if (pick(rng) % 2 == 0) {
      mail += any(kPieces);
      continue;
    }
    // A line of its own, but for a line left open now and then; its value
    // of its field's pieces, and of another's now and then.
    const Viewed& field = kViewed[pick(rng) % kViewed.size()];
    const std::string& name = any(field.names);
    mail += mail.ends_with('\n') ? name.substr(name.find_first_not_of("\r\n")) : name;
    for (std::size_t values = 1 + pick(rng) % 3; values > 0; --values) {
      mail += any(pick(rng) % 4 == 0 ? kViewed[pick(rng) % kViewed.size()].values : field.values);
      if (values > 1) mail += any(field.separators);
    }
    if (pick(rng) % 4 != 0) mail += '\n';
  }
  return mail;
}

TEST(RowSinkPropertyTest, RowsDoNotDependOnWhereHeadersAreCut) {
  const std::vector<std::string> kNames = {"subject",
                                           "Subject:,date",
                                           "date,to,subject",
                                           "From",
                                           "x-subject,subject-x",
                                           "\xff,\xc3\xa9",
                                           " subject ,date",
                                           "date\t:,\tto",
                                           "date:iso,date:epoch,received:iso",
                                           " Date : ISO ,DATE:epoch, date",
                                           "from:addr,from:name,to:addr,to:name",
                                           "To : Addr,FROM:NAME,from:addr",
                                           "message-id:id,:parent,in-reply-to:id,references:id",
                                           ":parent,:size,subject",
                                           "from:name,date:epoch,message-id:id,:size"};
  const std::vector<std::string> kInputNames = {"stdin", "dir\\a b\tc", "caf\xe9"};
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<std::size_t> cut(1, 80);
  std::uniform_int_distribution<std::size_t> pick(0, 1000);
  for (int round = 0; round < 6000; ++round) {
    const std::string input = random_mail(rng);
    const std::string& names = kNames[pick(rng) % kNames.size()];
    const std::string& input_name = kInputNames[pick(rng) % kInputNames.size()];
    const auto format = std::array{model::Rows::Tsv, model::Rows::Json,
                                   model::Rows::Csv}[static_cast<std::size_t>(round % 3)];
    std::vector<std::size_t> cuts(5);
    for (std::size_t& c : cuts) c = cut(rng);
    ASSERT_EQ(written(format, names, input, input_name, cuts, StreamKind::Pipe,
                      pick(rng) * kStreamBufferSize / 1000),
              *model::rows(format, input, input_name, names))
        << "columns: " << names << "\ninput: " << input;
  }
}

}  // namespace
}  // namespace fieldsift
