// The INI layer: reading as the profile routines do, and rewriting a file
// without disturbing what is not ours.
#include <gtest/gtest.h>

#include <string>

#include "cfgfile/ini_document.h"

namespace zorbel::cfgfile {
namespace {

using namespace std::string_literals;

TEST(IniDocument, AnUnchangedDocumentSerializesToItsOwnBytes) {
  const std::string inputs[] = {
      "", "[A]\r\nk=v\r\n",
      "[A]\nk=v",                       // no line ending at the end
      "; note\r\n[A]\nk=v\r\rx\n\n\n",  // mixed endings, a lone CR, blank lines
      "  [ A ] trailing\t\r\n  k  =  v  \r\n", "[broken\n=no key\nno equals\n[]\n"s,
      "\0[A]\0\nk=\0v\n"s,
      "\xEF\xBB\xBF[A]\r\nk=Z\xC3\xBCrich \xE6\x97\xA5\xFF\r\n",      // UTF-8, a stray byte
      "\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x3D\xD8\x00\xDE\x00\xD8!\0"s,  // UTF-16LE, a pair, a lone
                                                                      // half
      "\xFF\xFEk\0=\0v"s,  // UTF-16LE with a last odd byte
  };
  for (const std::string& bytes : inputs) EXPECT_EQ(IniDocument::parse(bytes).serialize(), bytes);
}

TEST(IniDocument, NamesMatchWithoutCaseAndBlanksAroundNamesAndValuesAreIgnored) {
  const IniDocument doc =
      IniDocument::parse("[ Radio ]\r\n  CallSign \t=  SP1ABC -x \t\r\n[radio]\nother=1\n");
  EXPECT_EQ(doc.get("RADIO", "callsign"), "SP1ABC -x");
  EXPECT_EQ(doc.get("radio", "CALLSIGN"), "SP1ABC -x");
  // The first of two same-named sections is the one that counts.
  EXPECT_EQ(doc.get("Radio", "other"), std::nullopt);
}

TEST(IniDocument, ReadsValuesVerbatimAndTellsMissingFromEmpty) {
  const IniDocument doc = IniDocument::parse(
      "lost=1\n"  // before any section: belongs to none
      "[S]\n"
      "quoted=\"a b\"\n"  // one pair of quotes removed
      "eq=a=b;c\n"        // only the first '=' separates
      "empty=\n"
      "dup=first\n"
      "DUP=second\n"
      "8bit=\xb1\xe6\n"
      "[T]\rcr=only\r");
  EXPECT_EQ(doc.get("S", "quoted"), "a b");
  EXPECT_EQ(doc.get("S", "eq"), "a=b;c");
  EXPECT_EQ(doc.get("S", "empty"), "");
  EXPECT_EQ(doc.get("S", "dup"), "first");
  EXPECT_EQ(doc.get("S", "8bit"), "\xb1\xe6");
  EXPECT_EQ(doc.get("T", "cr"), "only");
  EXPECT_EQ(doc.get("S", "missing"), std::nullopt);
  EXPECT_EQ(doc.get("Nowhere", "empty"), std::nullopt);
  EXPECT_EQ(doc.get("", "lost"), std::nullopt);
}

TEST(IniDocument, LongValuesAreCutToTheBufferWithoutTrailingBlanks) {
  const std::string exact(IniDocument::kMaxValueLength, 'a');
  EXPECT_EQ(IniDocument::parse("[S]\nk=" + exact + "\n").get("S", "k"), exact);
  EXPECT_EQ(IniDocument::parse("[S]\nk=" + exact + "bcd\n").get("S", "k"), exact);
  // A cut that ends in blanks loses them, as a rewrite of the value would.
  const std::string blanks = std::string(2040, 'a') + "       x";
  EXPECT_EQ(IniDocument::parse("[S]\nk=" + blanks + "\n").get("S", "k"), std::string(2040, 'a'));
}

TEST(IniDocument, SetReplacesAValueWhereItStandsAndKeepsEveryOtherLine) {
  const std::string before =
      "; comment\r\n"
      "[Radio]\r\n"
      "Foreign = kept  \r\n"
      "txdelay = 300\r\n"
      "Callsign = NOCALL\r\n"
      "\r\n"
      "[Other]\r\n"
      "txdelay=1\r\n";
  IniDocument doc = IniDocument::parse(before);
  doc.set("radio", "TXdelay", "250");
  doc.set("Radio", "Callsign", "NOCALL");  // same value: the line stays as it is
  EXPECT_EQ(doc.serialize(),
            "; comment\r\n"
            "[Radio]\r\n"
            "Foreign = kept  \r\n"
            "TXdelay=250\r\n"
            "Callsign = NOCALL\r\n"
            "\r\n"
            "[Other]\r\n"
            "txdelay=1\r\n");
}

TEST(IniDocument, SetAddsAMissingKeyAtTheEndOfItsSection) {
  IniDocument doc = IniDocument::parse("[A]\nx=1\n\n\n[B]\ny=2");
  doc.set("A", "new", "v");
  doc.set("b", "last", "w");  // the file's last line gets its line ending first
  doc.set("A", "x", "3");     // the first key keeps its place after the insertion
  EXPECT_EQ(doc.serialize(), "[A]\nx=3\nnew=v\n\n\n[B]\ny=2\nlast=w\n");
}

TEST(IniDocument, SetAddsAMissingSectionAtTheEndInTheFilesLineEnding) {
  IniDocument lf = IniDocument::parse("[A]\nx=1");
  lf.set("B", "y", "2");
  lf.set("B", "z", "3");
  EXPECT_EQ(lf.serialize(), "[A]\nx=1\n\n[B]\ny=2\nz=3\n");

  IniDocument blankEnd = IniDocument::parse("[A]\r\nx=1\r\n\r\n");
  blankEnd.set("B", "y", "2");
  EXPECT_EQ(blankEnd.serialize(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");

  // A new file is written with CRLF, as the Windows program writes it.
  IniDocument fresh;
  fresh.set("!WARNING", "Version", "v1.32");
  fresh.set("Radio", "Callsign", "NOCALL");
  EXPECT_EQ(fresh.serialize(), "[!WARNING]\r\nVersion=v1.32\r\n\r\n[Radio]\r\nCallsign=NOCALL\r\n");
  EXPECT_EQ(IniDocument::parse("k=v").lineEnding(), "\r\n");
}

TEST(IniDocument, AKeyAddedToTheLastSectionAfterANewOneStaysInItsSection) {
  IniDocument doc = IniDocument::parse("[A]\nx=1");
  doc.set("B", "y", "2");
  doc.set("a", "z", "3");
  EXPECT_EQ(doc.serialize(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
}

TEST(IniDocument, ThousandsOfNamesAreEachFoundAtTheirFirstLine) {
  std::string text = "[Keys]\n";
  for (int i = 0; i < 3000; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  for (int i = 0; i < 3000; ++i) text += "K" + std::to_string(i) + "=again\n";
  for (int i = 0; i < 3000; ++i)
    text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n[s" + std::to_string(i) +
            "]\nk=again\n";
  const IniDocument doc = IniDocument::parse(text);
  for (int i = 0; i < 3000; ++i) {
    EXPECT_EQ(doc.get("keys", "K" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(doc.get("s" + std::to_string(i), "k"), std::to_string(i));
  }
  EXPECT_EQ(doc.get("S3000", "k"), std::nullopt);
}

TEST(IniDocument, SavedInUtf8OrUtf16AFileStaysInItsEncoding) {
  IniDocument utf8 = IniDocument::parse("\xEF\xBB\xBF[A]\nnote=\xE6\x97\xA5\nk=old\n");
  utf8.set("A", "k", "Z\xFCrich");
  EXPECT_EQ(utf8.serialize(), "\xEF\xBB\xBF[A]\nnote=\xE6\x97\xA5\nk=Z\xC3\xBCrich\n");

  IniDocument utf16 = IniDocument::parse("\xFF\xFE[\0A\0]\0\n\0"s);
  utf16.set("A", "k", "\xFC");
  EXPECT_EQ(utf16.serialize(), "\xFF\xFE[\0A\0]\0\n\0k\0=\0\xFC\0\n\0"s);
}

TEST(IniDocument, ATextThatWouldLoseQuotesOrBlanksIsSavedInOneMorePair) {
  IniDocument doc;
  const std::string texts[] = {"\"Hi\"",  "'x'", "\"\"", " lead",
                               "trail\t", "\"",  "'a\"", "a \"b\" c"};
  for (const std::string& text : texts) doc.set("S", "k" + std::to_string(&text - texts), text);
  const std::string file = doc.serialize();
  EXPECT_NE(file.find("k0=\"\"Hi\"\"\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("k5=\"\r\n"), std::string::npos) << file;  // a lone quote needs none
  const IniDocument reread = IniDocument::parse(file);
  for (const std::string& text : texts)
    EXPECT_EQ(reread.get("S", "k" + std::to_string(&text - texts)), text);
}

TEST(IniDocument, ALineBreakInAValueCannotStartANewLine) {
  IniDocument doc;
  doc.set("S", "k", "a\r\n[Radio]\nCallsign=EVIL\rz");
  const IniDocument reread = IniDocument::parse(doc.serialize());
  EXPECT_EQ(reread.get("S", "k"), "a  [Radio] Callsign=EVIL z");
  EXPECT_EQ(reread.get("Radio", "Callsign"), std::nullopt);
}

}  // namespace
}  // namespace zorbel::cfgfile
