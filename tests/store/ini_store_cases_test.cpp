// The INI store as a table of byte-exact cases: file bytes before, a sequence of reads and
// writes, and the file bytes after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/ini_store.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using namespace std::string_literals;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

enum class OpKind { Read, Write, Remove };

struct Op {
  OpKind kind;
  const char* section;  // nullptr: the unnamed section
  const char* key;
  const char* arg;  // the value written, or the default of a read
  int result;
  const char* read = "";  // what a read leaves in the output buffer
  int outSize = 64;
};

Op Read(const char* section, const char* key, int result, const char* read, const char* fallback = "dflt",
        int outSize = 64) {
  return Op{OpKind::Read, section, key, fallback, result, read, outSize};
}
Op Write(const char* section, const char* key, const char* value, int result = 1) {
  return Op{OpKind::Write, section, key, value, result};
}
Op Remove(const char* section, const char* key, int result = 1) {
  return Op{OpKind::Remove, section, key, nullptr, result};
}

struct IniCase {
  const char* name;
  std::string before;
  std::vector<Op> ops;
  std::string after;  // the file after the operations; the same as before when nothing is written
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// Line content of exactly n bytes: "k=" and a value that fills it up.
std::string KeyLineOfContent(size_t n) { return "k=" + Repeat('v', n - 2); }

const std::string kValue1021 = Repeat('v', 1021);

const IniCase kCases[] = {
    // Finding sections and keys.
    {"SectionNameTrimmedAndCaseless", "[ HID ]\nVALUE=1\n", {Read("hid", "value", 1, "1")}, "[ HID ]\nVALUE=1\n"},
    {"OnlyAsciiLettersFold",
     "[\xc4\xe3]\nk=1\n",
     {Read("\xe4\xe3", "k", 0, "dflt"), Read("\xc4\xe3", "k", 1, "1")},
     "[\xc4\xe3]\nk=1\n"},
    {"NamesMustEndTogether",
     "[HIDX]\nvalue=1\n[HID]\nvalue1=2\n",
     {Read("HID", "value", 0, "dflt"), Read("HIDX", "value", 1, "1"), Read("HI", "value", 0, "dflt")},
     "[HIDX]\nvalue=1\n[HID]\nvalue1=2\n"},
    {"FirstMatchingKeyWins", "[s]\nk=1\nK=2\n", {Read("s", "k", 1, "1")}, "[s]\nk=1\nK=2\n"},
    {"SemicolonComment", "[HID]\nvalue=0 ; note\n", {Read("HID", "value", 1, "0")}, "[HID]\nvalue=0 ; note\n"},
    {"HashComment", "[HID]\nvalue=0   # note\n", {Read("HID", "value", 1, "0")}, "[HID]\nvalue=0   # note\n"},
    {"QuotedSemicolonIsText", "[s]\nkey = 'a;b'\n", {Read("s", "key", 1, "'a;b'")}, "[s]\nkey = 'a;b'\n"},
    {"DoubleQuotedHashIsText",
     "[s]\nkey = \"a#b\" # c\n",
     {Read("s", "key", 1, "\"a#b\"")},
     "[s]\nkey = \"a#b\" # c\n"},
    {"QuoteInsideOtherQuoteIsText",
     "[s]\nkey = \"it's;here\"\n",
     {Read("s", "key", 1, "\"it's;here\"")},
     "[s]\nkey = \"it's;here\"\n"},
    {"LeadingQuoteSkipped", "'abc'=1\n", {Read(nullptr, "abc'", 1, "1"), Read(nullptr, "abc", 0, "dflt")}, "'abc'=1\n"},
    {"CommentedOutHeaderIsBlank", "a=1\n;[s]\nb=2\n", {Read(nullptr, "b", 1, "2")}, "a=1\n;[s]\nb=2\n"},
    {"BlankLineBetweenLf", "a=1\n\nb=2", {Read(nullptr, "a", 1, "1"), Read(nullptr, "b", 1, "2")}, "a=1\n\nb=2"},
    {"CrCrLf", "a=1\r\r\nb=2", {Read(nullptr, "a", 1, "1"), Read(nullptr, "b", 1, "2")}, "a=1\r\r\nb=2"},
    {"LfCrIsOneLineEnd", "[s]\n\ra=1\n\r; c", {Write("s", "b", "2")}, "[s]\n\ra=1\n\rb = 2\n; c"},
    {"CrLfIsOneLineEnd", "[s]\r\na=1\r\n; c", {Write("s", "b", "2")}, "[s]\r\na=1\r\nb = 2\n; c"},
    {"CrAfterCrIsNextLine", "[s]\na=1\r\r; c", {Write("s", "b", "2")}, "[s]\na=1\rb = 2\n\r; c"},
    {"LfAfterLfIsNextLine", "[s]\na=1\n\n; c", {Write("s", "b", "2")}, "[s]\na=1\nb = 2\n\n; c"},
    {"NulEndsALine", "a=1\0b=2"s, {Read(nullptr, "a", 1, "1"), Read(nullptr, "b", 1, "2")}, "a=1\0b=2"s},
    {"ValueTrimmed", "[s]\n  k \t=\t x y \t\r\n", {Read("s", "k", 1, "x y")}, "[s]\n  k \t=\t x y \t\r\n"},
    {"ValueKeepsLaterEquals", "[s]\nurl=a=b\n", {Read("s", "url", 1, "a=b")}, "[s]\nurl=a=b\n"},
    {"EmptyValueNotFound", "[s]\nvalue=\n", {Read("s", "value", 0, "dflt")}, "[s]\nvalue=\n"},
    {"EmptyValueStopsSearch", "[s]\nk=\nk=2\n", {Read("s", "k", 0, "dflt")}, "[s]\nk=\nk=2\n"},
    {"NullDefaultGivesEmpty", "[s]\n", {Read("s", "k", 0, "", nullptr)}, "[s]\n"},
    {"ValueCutToBuffer", "[s]\nk=abcdef\n", {Read("s", "k", 1, "abc", "dflt", 4)}, "[s]\nk=abcdef\n"},
    {"DefaultCutToBuffer", "[s]\n", {Read("s", "k", 0, "de", "default", 3)}, "[s]\n"},
    {"SectionEndsAtAnyHeader", "[s]\n[t]\nk=1\n", {Read("s", "k", 0, "dflt")}, "[s]\n[t]\nk=1\n"},
    {"UnnamedSectionBeforeFirstHeader",
     "value=1\n[HID]\nx=2\n",
     {Read(nullptr, "value", 1, "1"), Read("HID", "value", 0, "dflt"), Read(nullptr, "x", 0, "dflt")},
     "value=1\n[HID]\nx=2\n"},
    {"SecondSameNamedSectionUnreachable",
     "[HID]\na=1\n[HID]\nb=2\n",
     {Read("HID", "b", 0, "dflt"), Write("HID", "b", "3"), Read("HID", "b", 1, "3")},
     "[HID]\na=1\nb = 3\n[HID]\nb=2\n"},
    {"KeyWithoutEqualsIsIgnored", "[s]\nk\nk=1\n", {Read("s", "k", 1, "1")}, "[s]\nk\nk=1\n"},

    // The 1024-byte content rule: content excludes the comment and trailing blanks.
    {"Content1023Read",
     "[s]\n" + KeyLineOfContent(1023) + "\n",
     {Read("s", "k", 1, kValue1021.c_str(), "dflt", 2048)},
     "[s]\n" + KeyLineOfContent(1023) + "\n"},
    {"Content1023WithCommentRead",
     "[s]\nk=" + kValue1021 + "   ; comment\n",
     {Read("s", "k", 1, kValue1021.c_str(), "dflt", 2048)},
     "[s]\nk=" + kValue1021 + "   ; comment\n"},
    {"Content1024Ignored",
     "[s]\n" + KeyLineOfContent(1024) + "\nk=2\n",
     {Read("s", "k", 1, "2")},
     "[s]\n" + KeyLineOfContent(1024) + "\nk=2\n"},
    {"Header1024Ignored",
     "[s]\nk=1\n[" + Repeat('t', 1022) + "]\nk=2\n",
     {Read("s", "k", 1, "1")},
     "[s]\nk=1\n[" + Repeat('t', 1022) + "]\nk=2\n"},
    {"Content1024NotReplaced",
     "[s]\n" + KeyLineOfContent(1024) + "\n",
     {Write("s", "k", "1")},
     "[s]\nk = 1\n" + KeyLineOfContent(1024) + "\n"},

    // Appending a missing section.
    {"AppendToEmptyFile", "", {Write("HID", "value", "1"), Read("HID", "value", 1, "1")}, "\n[HID]\nvalue = 1\n"},
    {"AppendAfterCrLf", "[A]\r\nx=1\r\n", {Write("B", "k", "v")}, "[A]\r\nx=1\r\n\n[B]\nk = v\n"},
    {"AppendAfterMissingFinalLineEnd",
     "[A]\nx=1",
     {Write("B", "k", "v"), Read("A", "x", 1, "1")},
     "[A]\nx=1\n[B]\nk = v\n"},
    {"RemoveFromMissingSection", "[A]\nx=1\n", {Remove("B", "x", 0)}, "[A]\nx=1\n"},

    // Replacing in place.
    {"ReplaceKeepsCrLf", "[HID]\r\nvalue=0\r\n", {Write("HID", "value", "1")}, "[HID]\r\nvalue = 1\r\n"},
    {"ReplaceKeepsComment", "[HID]\r\nvalue=0 ;x\r\n", {Write("HID", "value", "1")}, "[HID]\r\nvalue = 1 ;x\r\n"},
    {"ReplaceKeepsBlanksBeforeComment",
     "[HID]\nvalue=0   # note\n",
     {Write("HID", "value", "1"), Read("HID", "value", 1, "1")},
     "[HID]\nvalue = 1   # note\n"},
    {"ReplaceDropsTrailingBlanks", "[HID]\r\nvalue=0 \t \r\n", {Write("HID", "value", "1")}, "[HID]\r\nvalue = 1\r\n"},
    {"ReplaceQuotedValue", "[s]\nk='a;b' ;c\n", {Write("s", "k", "v")}, "[s]\nk = v ;c\n"},
    {"ReplaceWithoutFinalLineEnd", "[HID]\nvalue=0", {Write("HID", "value", "1")}, "[HID]\nvalue = 1"},
    {"ReplaceMatchesCaselessWritesNewName", "[hid]\nVALUE=0\n", {Write("HID", "value", "1")}, "[hid]\nvalue = 1\n"},
    {"ReplaceEmptyValue", "[s]\nk=\n", {Write("s", "k", "v"), Read("s", "k", 1, "v")}, "[s]\nk = v\n"},
    {"WriteEmptyValue", "[s]\nk=1\n", {Write("s", "k", ""), Read("s", "k", 0, "dflt")}, "[s]\nk = \n"},
    {"ReplaceFirstOfDuplicates", "[s]\nk=1\nk=2\n", {Write("s", "k", "3")}, "[s]\nk = 3\nk=2\n"},
    {"ReplaceInUnnamedSection", "a=1\n[s]\na=2\n", {Write(nullptr, "a", "3")}, "a = 3\n[s]\na=2\n"},
    {"ReplaceAfterNulLineEnd", "[s]\0k=1\0"s, {Write("s", "k", "2")}, "[s]\0k = 2\0"s},

    // Inserting a missing key into an existing section.
    {"InsertAfterLastKeyBeforeBlanksAndComments",
     "[HID]\nvalue=0\n\n; c\n[YSB]\nvalue=1\n",
     {Write("HID", "new", "2"), Read("HID", "new", 1, "2"), Read("YSB", "value", 1, "1")},
     "[HID]\nvalue=0\nnew = 2\n\n; c\n[YSB]\nvalue=1\n"},
    {"InsertAfterHeaderOnly", "[HID]\r\n; c\r\n", {Write("HID", "k", "v")}, "[HID]\r\nk = v\n; c\r\n"},
    {"InsertSkipsOtherLines", "[s]\na=1\njunk\n", {Write("s", "b", "2")}, "[s]\na=1\nb = 2\njunk\n"},
    {"InsertIntoMiddleSection", "[A]\na=1\n[B]\n\n[C]\n", {Write("B", "k", "v")}, "[A]\na=1\n[B]\nk = v\n\n[C]\n"},
    {"InsertAfterUnterminatedKeyLine",
     "[HID]\nvalue=0",
     {Write("HID", "k", "v"), Read("HID", "value", 1, "0")},
     "[HID]\nvalue=0\nk = v\n"},
    {"InsertAfterUnterminatedHeader", "[HID]", {Write("HID", "k", "v")}, "[HID]\nk = v\n"},
    {"InsertAfterCrOnlyLine", "[s]\ra=1\r", {Write("s", "b", "2")}, "[s]\ra=1\rb = 2\n"},
    {"InsertIntoUnnamedSection", "a=1\n\n[s]\n", {Write(nullptr, "b", "2")}, "a=1\nb = 2\n\n[s]\n"},
    {"NewUnnamedKeyGoesFirst",
     "[HID]\nvalue=0\n",
     {Write(nullptr, "k", "v"), Read(nullptr, "k", 1, "v"), Read("HID", "value", 1, "0")},
     "k = v\n[HID]\nvalue=0\n"},
    {"NewUnnamedKeyInEmptyFile", "", {Write(nullptr, "k", "v")}, "k = v\n"},

    // Removing with a null value.
    {"RemoveWholeLineCrLf", "[HID]\r\nvalue=0\r\nother=1\r\n", {Remove("HID", "value")}, "[HID]\r\nother=1\r\n"},
    {"RemoveLastUnterminatedLine", "[HID]\na=1\nvalue=0", {Remove("HID", "value")}, "[HID]\na=1\n"},
    {"RemoveLineWithComment", "[s]\nk=1 ; why\nj=2\n", {Remove("s", "k"), Read("s", "j", 1, "2")}, "[s]\nj=2\n"},
    {"RemoveMissingKey", "[s]\na=1\n", {Remove("s", "b", 0)}, "[s]\na=1\n"},
    {"RemoveFromMissingUnnamed", "[s]\na=1\n", {Remove(nullptr, "a", 0)}, "[s]\na=1\n"},
    {"RemoveFirstDuplicateOnly", "[s]\nk=1\nk=2\n", {Remove("s", "k"), Read("s", "k", 1, "2")}, "[s]\nk=2\n"},
    {"RemoveUnnamed", "a=1\nb=2\n[s]\n", {Remove(nullptr, "a")}, "b=2\n[s]\n"},
    {"RemoveTakesTwoByteLineEnd", "a=1\n\rb=2", {Remove(nullptr, "a")}, "b=2"},

    // A UTF-8 byte-order mark at the start of the file belongs to no line; elsewhere it is text.
    {"ByteOrderMarkBeforeFirstHeader",
     "\xEF\xBB\xBF[manifest]\r\nserial=9\r\n",
     {Read("manifest", "serial", 1, "9")},
     "\xEF\xBB\xBF[manifest]\r\nserial=9\r\n"},
    {"ByteOrderMarkBeforeUnnamedKey",
     "\xEF\xBB\xBFvalue=1\n",
     {Read(nullptr, "value", 1, "1")},
     "\xEF\xBB\xBFvalue=1\n"},
    {"ByteOrderMarkStaysThroughAReplace",
     "\xEF\xBB\xBF[HID]\r\nvalue=0\r\n",
     {Write("HID", "value", "1"), Read("HID", "value", 1, "1")},
     "\xEF\xBB\xBF[HID]\r\nvalue = 1\r\n"},
    {"ByteOrderMarkStaysInFrontOfANewUnnamedKey",
     "\xEF\xBB\xBF[HID]\nvalue=0\n",
     {Write(nullptr, "k", "v"), Read(nullptr, "k", 1, "v"), Read("HID", "value", 1, "0")},
     "\xEF\xBB\xBFk = v\n[HID]\nvalue=0\n"},
    {"ByteOrderMarkInsideIsText",
     "[s]\nk=1\n\xEF\xBB\xBF[t]\nk=2\n",
     {Read("t", "k", 0, "dflt"), Read("s", "k", 1, "1")},
     "[s]\nk=1\n\xEF\xBB\xBF[t]\nk=2\n"},
    {"HalfAByteOrderMarkIsText", "\xEF\xBB[s]\nk=1\n", {Read("s", "k", 0, "dflt")}, "\xEF\xBB[s]\nk=1\n"},

    // Sequences: every write reloads, so the next one sees the new bytes.
    {"WriteThenRemoveThenAppend",
     "[s]\r\nk=1\r\n",
     {Write("s", "j", "2"), Remove("s", "k"), Write("t", "x", "y"), Read("s", "j", 1, "2")},
     "[s]\r\nj = 2\n\n[t]\nx = y\n"},
};

void PrintTo(const IniCase& c, std::ostream* os) { *os << c.name; }

class IniStoreCase : public testing::TestWithParam<IniCase> {
 protected:
  TempDir dir;
};

TEST_P(IniStoreCase, BytesAndResults) {
  const IniCase& c = GetParam();
  std::string path = dir.File("store.ini");
  WriteFile(path, c.before);
  auto lock = LockIniStore();
  ASSERT_EQ(IniLoadFile(path.c_str()), 1);
  for (size_t i = 0; i < c.ops.size(); ++i) {
    const Op& op = c.ops[i];
    SCOPED_TRACE("operation " + std::to_string(i) + " on " + (op.section ? op.section : "<unnamed>") + "/" + op.key);
    if (op.kind == OpKind::Read) {
      std::string out(op.outSize > 0 ? op.outSize : 1, '#');
      EXPECT_EQ(IniReadString(op.section, op.key, &out[0], op.outSize, op.arg), op.result);
      if (op.outSize > 0) {
        EXPECT_EQ(std::string(out.c_str()), op.read);
      }
    } else {
      EXPECT_EQ(IniWriteString(op.section, op.key, op.kind == OpKind::Write ? op.arg : nullptr), op.result);
    }
  }
  IniFreeFile();
  EXPECT_EQ(ReadFile(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(Ini, IniStoreCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lirra
