// "Save to file" and "Read from file" over real files.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <random>
#include <string>

#include "cfgfile/config_file.h"
#include "cfgfile/config_keys.h"
#include "cfgfile/ini_document.h"
#include "settings/catalog.h"
#include "test_support.h"

namespace zorbel::cfgfile {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using settings::SettingsModel;
using test::readFile;
using test::TempDir;
using test::writeFile;

const char* const kVersionMessage =
    "Imported configuration file version is different than your current application version. \n"
    "Please double-check configuration fields after import. \n"
    "Some configuration fields my change between firmware versions.";

constexpr std::time_t kClock = 1700000000;

// Every key with a load default, put back into a model: what an import of a
// file without them must give.
void expectLoadDefaults(const SettingsModel& model) {
  for (const ConfigKey& k : configKeys()) {
    if (k.form == FileForm::Fixed || !k.loadDefault) continue;
    const std::string& d = *k.loadDefault;
    switch (k.form) {
      case FileForm::Text:
      case FileForm::Integer:
        EXPECT_EQ(model.text(k.control), d) << k.key;
        break;
      case FileForm::ItemIndex: {
        const auto& s = settings::allSettings()[*settings::findSetting(k.control)];
        EXPECT_EQ(model.index(k.control), settings::isItem(s, std::stoi(d)) ? std::stoi(d) : -1)
            << k.key;
        break;
      }
      case FileForm::Flag:
        EXPECT_EQ(model.checked(k.control), d == "1") << k.key;
        break;
      case FileForm::Fixed:
        break;
    }
  }
}

// A model far from the start-up state, so an import that forgets a key shows.
SettingsModel scrambledModel() {
  SettingsModel m(kClock);
  for (const auto& s : settings::allSettings()) {
    switch (s.kind) {
      case settings::ControlKind::Edit:
        EXPECT_TRUE(m.setText(s.name, "77"));
        break;
      case settings::ControlKind::Combo:
        EXPECT_TRUE(m.setIndex(s.name, -1));
        break;
      case settings::ControlKind::Check:
        EXPECT_TRUE(m.setChecked(s.name, s.defaultIndex != 1));
        break;
    }
  }
  return m;
}

std::string saveToString(const SettingsModel& model) {
  const Result<std::string> out = composeConfigFile(model, {});
  EXPECT_TRUE(out.ok());
  return out ? out.value() : std::string();
}

// ---- Save -------------------------------------------------------------------

TEST(SaveConfigFile, StartupSettingsGiveTheGoldenFileWhateverTheClock) {
  TempDir dir;
  const SettingsModel model(kClock);
  ASSERT_TRUE(saveConfigFile(model, dir.file("zorbel.cfg")).ok());
  EXPECT_EQ(readFile(dir.file("zorbel.cfg")), test::goldenStartupFile());
  EXPECT_EQ(saveToString(SettingsModel(0)), test::goldenStartupFile());
}

TEST(SaveConfigFile, WritesIntegersInDecimalAndListsAndBoxesAsNumbers) {
  SettingsModel m(kClock);
  EXPECT_TRUE(m.setText("Txdelay", "007"));
  EXPECT_TRUE(m.setText("Quiettime", "+7"));
  EXPECT_TRUE(m.setText("Floodtimeout", "0x1F"));
  EXPECT_TRUE(m.setText("Aprsis_heard_timeout", "$1f"));
  EXPECT_TRUE(m.setText("Tele_holdoff", " -5"));
  EXPECT_TRUE(m.setIndex("Ptt", -1));
  EXPECT_TRUE(m.setChecked("Pathn1_active", false));
  const IniDocument doc = IniDocument::parse(saveToString(m));
  EXPECT_EQ(doc.get("Radio", "TXdelay"), "7");
  EXPECT_EQ(doc.get("Radio", "Quiettime"), "7");
  EXPECT_EQ(doc.get("Digipeater", "Floodtimeout"), "31");
  EXPECT_EQ(doc.get("I-Gate", "Aprsis_heardtimeout"), "31");
  EXPECT_EQ(doc.get("Telemetry", "Tele_holdoff"), "-5");
  EXPECT_EQ(doc.get("Radio", "PTT"), "-1");
  EXPECT_EQ(doc.get("Digipeater", "Pathn1_active"), "0");
}

TEST(SaveConfigFile, ANonIntegerWritesNothingAndNamesTheFirstOneInFileOrder) {
  TempDir dir;
  const std::string old = "[Radio]\r\nTXdelay=300\r\n";
  writeFile(dir.file("old.cfg"), old);

  SettingsModel m(kClock);
  EXPECT_TRUE(m.setText("Floodtimeout", "1.5"));  // Digipeater comes after Radio
  EXPECT_TRUE(m.setText("Txdelay", ""));
  Result<void> r = saveConfigFile(m, dir.file("old.cfg"));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().kind, ErrorKind::Conversion);
  EXPECT_EQ(r.error().message, "'' is not a valid integer value");
  EXPECT_EQ(readFile(dir.file("old.cfg")), old);

  EXPECT_TRUE(m.setText("Txdelay", "250"));
  r = saveConfigFile(m, dir.file("new.cfg"));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message, "'1.5' is not a valid integer value");
  EXPECT_FALSE(fs::exists(dir.file("new.cfg")));
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(dir.file(""))), {}),
            1);  // no stray temporary
}

TEST(SaveConfigFile, SavingOverAFileKeepsWhatIsNotOursByteForByte) {
  TempDir dir;
  writeFile(dir.file("a.cfg"),
            "; my notes\n"
            "[radio]\n"
            "callsign = OLD\n"
            "MyKey = mine \n"
            "\n"
            "[Mine]\n"
            "a=b\n"
            "[Weather]\n"
            "Weather_comment=old comment");
  SettingsModel m(kClock);
  EXPECT_TRUE(m.setText("Callsign", "SP1ABC"));
  ASSERT_TRUE(saveConfigFile(m, dir.file("a.cfg")).ok());
  const std::string saved = readFile(dir.file("a.cfg"));
  // Our keys take their places in the sections found, missing ones follow
  // the last line of their section; the file keeps its LF endings.
  EXPECT_EQ(
      saved.rfind("; my notes\n[radio]\nCallsign=SP1ABC\nMyKey = mine \nSSID=0\nTXdelay=250\n", 0),
      0u);
  EXPECT_NE(
      saved.find("Longitude=01653.63E\n\n[Mine]\na=b\n[Weather]\nWeather_comment=Zorbel weather\n"
                 "Weather_stationtype=5\n"),
      std::string::npos);
  EXPECT_NE(saved.find("Weather_txrate_aprsis=5\n\n[!WARNING]\nWARNING="), std::string::npos);
  EXPECT_EQ(saved.find('\r'), std::string::npos);
  EXPECT_EQ(IniDocument::parse(saved).get("Radio", "Callsign"), "SP1ABC");

  // Over a file this program wrote, only the changed values change.
  writeFile(dir.file("b.cfg"), test::goldenStartupFile());
  EXPECT_TRUE(m.setIndex("Debug_digi", 0));
  ASSERT_TRUE(saveConfigFile(m, dir.file("b.cfg")).ok());
  std::string expected = test::goldenStartupFile();
  expected.replace(expected.find("Callsign=NOCALL"), 15, "Callsign=SP1ABC");
  expected.replace(expected.find("Debug_digi=1"), 12, "Debug_digi=0");
  EXPECT_EQ(readFile(dir.file("b.cfg")), expected);
}

TEST(SaveConfigFile, AFailedWriteLeavesEverythingAsItWas) {
  TempDir dir;
  const SettingsModel m(kClock);

  const std::string missing = dir.file("no-such-folder/zorbel.cfg");
  Result<void> r = saveConfigFile(m, missing);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().kind, ErrorKind::CannotWrite);
  EXPECT_EQ(r.error().message, "Unable to write to " + missing);
  EXPECT_FALSE(r.error().reason.empty());
  EXPECT_FALSE(fs::exists(dir.file("no-such-folder")));

  fs::create_directory(dir.file("folder.cfg"));
  writeFile(dir.file("folder.cfg/inside"), "x");
  r = saveConfigFile(m, dir.file("folder.cfg"));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message, "Unable to write to " + dir.file("folder.cfg"));
  EXPECT_TRUE(fs::is_directory(dir.file("folder.cfg")));
  EXPECT_EQ(readFile(dir.file("folder.cfg/inside")), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(dir.file(""))), {}), 1);
}

TEST(SaveConfigFile, ALinkedFileIsRewrittenThroughItsLink) {
  TempDir dir;
  writeFile(dir.file("real.cfg"), "[Mine]\r\na=b\r\n");
  fs::create_symlink("real.cfg", dir.file("link.cfg"));
  ASSERT_TRUE(saveConfigFile(SettingsModel(kClock), dir.file("link.cfg")).ok());
  EXPECT_TRUE(fs::is_symlink(dir.file("link.cfg")));
  EXPECT_EQ(readFile(dir.file("real.cfg")).rfind("[Mine]\r\na=b\r\n\r\n[!WARNING]\r\n", 0), 0u);
}

// ---- Import -----------------------------------------------------------------

TEST(ImportConfigFile, AHeaderOnlyFileSetsEveryLoadDefault) {
  TempDir dir;
  writeFile(dir.file("a.cfg"), "[!WARNING]\r\nVersion=v1.32\r\n");
  SettingsModel m = scrambledModel();
  EXPECT_TRUE(m.setText("Teledigital3_name", "Door"));
  EXPECT_TRUE(m.setIndex("Quodra_output2", 1));
  const SettingsModel before = m;
  const Result<ImportReport> r = importConfigFile(m, dir.file("a.cfg"));
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.value().fileFound);
  EXPECT_EQ(r.value().versionMessage, "");
  expectLoadDefaults(m);

  // Load defaults that are not the start-up values.
  EXPECT_EQ(m.index("Quiettime_randomize"), 3);
  EXPECT_EQ(m.text("Rfheard_timeout"), "30");
  EXPECT_EQ(m.index("Aprsis_packet2rf"), 0);
  EXPECT_EQ(m.text("Tele_holdoff"), "0");
  EXPECT_EQ(m.text("Ipaddr3"), "1");
  EXPECT_EQ(m.text("Beacon5_txrate_aprsis"), "5");
  EXPECT_EQ(m.text("Weather_comment"), "");
  EXPECT_EQ(m.text("Teleanalog5_name"), "Temp");
  EXPECT_EQ(m.text("Teleanalog5_coefc"), "-64");
  EXPECT_EQ(m.index("Teleanalog2_source"), 4);
  EXPECT_EQ(m.index("Teleanalog3_source"), -1);  // 7 lies past the source list
  EXPECT_EQ(m.text("Aprsis1_servername"), "rotate.aprs2.net");
  EXPECT_EQ(m.text("WU_rapidfireserver"), "rtupdate.wunderground.com");
  EXPECT_TRUE(m.checked("Uploadpctime"));
  EXPECT_FALSE(m.enabled("Rtcyear"));

  // Not in the file, or without a load default: as they were.
  for (const char* name : {"Rtcyear", "Rtcmin", "www_user", "www_port", "Teledigital3_name",
                           "Teledigital8_source", "Quodra_output2", "Quodra_output4"}) {
    EXPECT_EQ(m.state(name).text, before.state(name).text) << name;
    EXPECT_EQ(m.state(name).index, before.state(name).index) << name;
  }
}

TEST(ImportConfigFile, AnyOtherVersionShowsTheMessageAndTheImportGoesOn) {
  SettingsModel m(kClock);
  for (const std::string header : {"[!WARNING]\nVersion=V1.32\n", "[!WARNING]\nVersion=\n",
                                   "[!WARNING]\n", "[!WARNING]\nVersion=v1.32x\n"}) {
    const Result<ImportReport> r = importConfigBytes(m, header + "[Radio]\nCallsign=SP2XYZ\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r.value().versionMessage, kVersionMessage) << header;
    EXPECT_EQ(m.text("Callsign"), "SP2XYZ");
  }
  // Blanks around it are not part of the value, nor is the names' letter case.
  EXPECT_EQ(importConfigBytes(m, "[!warning]\nVERSION =  v1.32 \n").value().versionMessage, "");
}

TEST(ImportConfigFile, AMissingFileSetsTheLoadDefaultsAfterTheMessage) {
  TempDir dir;
  SettingsModel m = scrambledModel();
  const Result<ImportReport> r = importConfigFile(m, dir.file("none.cfg"));
  ASSERT_TRUE(r.ok());
  EXPECT_FALSE(r.value().fileFound);
  EXPECT_EQ(r.value().versionMessage, kVersionMessage);
  expectLoadDefaults(m);
}

TEST(ImportConfigFile, AFileThatCannotBeReadChangesNothing) {
  TempDir dir;
  fs::create_directory(dir.file("folder.cfg"));
  SettingsModel m = scrambledModel();
  const SettingsModel before = m;
  const Result<ImportReport> r = importConfigFile(m, dir.file("folder.cfg"));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().kind, ErrorKind::CannotRead);
  EXPECT_EQ(r.error().message, "Unable to read from " + dir.file("folder.cfg"));
  EXPECT_TRUE(m == before);
}

TEST(ImportConfigFile, IntegerFormsReadHexAndFallBackToTheLoadDefault) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m,
                                "[Radio]\n"
                                "TXdelay=0x1F\n"
                                "Quiettime=$1F\n"
                                "Quiettime_randomize=0X2\n"
                                "[Digipeater]\n"
                                "Floodtimeout=12abc\n"
                                "Pathn1_active=0x0\n"
                                "Pathn2_active=abc\n"
                                "Pathn3_active=-7\n"
                                "Digion=0x\n"
                                "[I-Gate]\n"
                                "Aprsis_heardtimeout=\n"
                                "Rfheard_local_maxhops= +7 \n"
                                "Rfheard_timeout=-0012\n"
                                "Aprsis_packet2rf_1min=99999999999\n"));
  EXPECT_EQ(m.text("Txdelay"), "31");
  EXPECT_EQ(m.text("Quiettime"), "31");
  EXPECT_EQ(m.index("Quiettime_randomize"), 2);
  EXPECT_EQ(m.text("Floodtimeout"), "60");
  EXPECT_FALSE(m.checked("Pathn1_active"));
  EXPECT_TRUE(m.checked("Pathn2_active"));
  EXPECT_TRUE(m.checked("Pathn3_active"));
  EXPECT_EQ(m.index("Digion"), 1);
  EXPECT_EQ(m.text("Aprsis_heard_timeout"), "30");
  EXPECT_EQ(m.text("Rfheard_local_maxhops"), "7");
  EXPECT_EQ(m.text("Rfheard_timeout"), "-12");
  EXPECT_EQ(m.text("Aprsis_packet2rf_1min"), "6");
}

TEST(ImportConfigFile, AValueThatDoesNotConvertIsNotedWithWhatWasUsed) {
  SettingsModel m(kClock);
  ASSERT_TRUE(m.setIndex("Teledigital2_source", -1));
  const Result<ImportReport> r = importConfigBytes(m,
                                                   "[Radio]\n"
                                                   "TXdelay=abc\n"
                                                   "Quiettime=0x1F\n"
                                                   "[Telemetry]\n"
                                                   "Teledigital2_source=two\n");
  ASSERT_TRUE(r);
  ASSERT_EQ(r.value().notes.size(), 2u);
  EXPECT_EQ(noteText(r.value().notes[0]), "TXdelay=abc in the file is not a number; 250 was used.");
  // A key without a load default keeps the setting as it was.
  EXPECT_EQ(noteText(r.value().notes[1]),
            "Teledigital2_source=two in the file is not a number; the setting kept its value.");
  EXPECT_EQ(m.text("Txdelay"), "250");
  EXPECT_EQ(m.index("Teledigital2_source"), -1);
}

TEST(ImportConfigFile, AnIndexOutsideTheListLeavesNoItemSelected) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m, "[Radio]\nPTT=-1\nBusydetect=2\nConsecutive_packets=1\n"));
  EXPECT_EQ(m.index("Ptt"), -1);
  EXPECT_EQ(m.index("Busydetect"), -1);
  EXPECT_EQ(m.index("Consecutive_packets"), 1);
  // No selection is saved as -1 and read back as no selection.
  const std::string saved = saveToString(m);
  EXPECT_EQ(IniDocument::parse(saved).get("Radio", "Busydetect"), "-1");
  SettingsModel again(kClock);
  EXPECT_TRUE(importConfigBytes(again, saved));
  EXPECT_EQ(again.index("Busydetect"), -1);
}

TEST(ImportConfigFile, CheckBoxesRunTheirClickBehaviour) {
  SettingsModel m(kClock);
  ASSERT_TRUE(m.checked("Uploadpctime"));
  ASSERT_FALSE(m.enabled("Rtcyear"));
  EXPECT_TRUE(importConfigBytes(m, "[RTC]\nUploadpctime=0\n"));
  EXPECT_FALSE(m.checked("Uploadpctime"));
  EXPECT_TRUE(m.enabled("Rtcyear"));
  EXPECT_TRUE(m.enabled("Rtcmin"));

  // A change of Ntp_enable alone runs the same behaviour, which looks at Uploadpctime.
  EXPECT_TRUE(
      m.setChecked("Uploadpctime", true));  // set without its click: the edits are still enabled
  EXPECT_TRUE(importConfigBytes(m, "[RTC]\nUploadpctime=1\nNtp_enable=0\n"));
  EXPECT_FALSE(m.checked("Ntp_enable"));
  EXPECT_FALSE(m.enabled("Rtcyear"));
}

TEST(ImportConfigFile, DigitalChannelsAndQuodraOutputsChangeOnlyWhenPresentAndConverting) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m,
                                "[Telemetry]\n"
                                "Teledigital2_name=Door\n"
                                "Teledigital2_label=Open\n"
                                "Teledigital2_inverted=1\n"
                                "Teledigital3_inverted=yes\n"
                                "Teledigital4_source=5\n"
                                "Quodra_output1=1\n"
                                "Quodra_output2=on\n"));
  EXPECT_EQ(m.text("Teledigital2_name"), "Door");
  EXPECT_EQ(m.text("Teledigital2_units"), "Open");
  EXPECT_EQ(m.index("Teledigital2_inverted"), 1);
  EXPECT_EQ(m.index("Teledigital3_inverted"), 0);
  EXPECT_EQ(m.text("Teledigital3_name"), "B3");
  EXPECT_EQ(m.index("Teledigital4_source"), -1);
  EXPECT_EQ(m.index("Quodra_output1"), 1);
  EXPECT_EQ(m.index("Quodra_output2"), 0);
}

TEST(ImportConfigFile, TextsAreTakenWholeAndVerbatim) {
  SettingsModel m(kClock);
  const std::string longCall(40, 'W');
  EXPECT_TRUE(importConfigBytes(
      m, "[Radio]\nCallsign=" + longCall + "\n[Beacons]\nBeacon3_msg= =x;\"y\" \xb0 \n"));
  EXPECT_EQ(m.text("Callsign"), longCall);
  EXPECT_EQ(m.text("Beacon3_msg"), "=x;\"y\" \xb0");
}

TEST(ImportConfigFile, LineEndingsAndLetterCaseMakeNoDifference) {
  const std::string crlf =
      "[!WARNING]\r\nVersion=v1.32\r\n[Radio]\r\nCallsign=SP3ABC\r\nPTT=1\r\n"
      "[WeatherUnderground]\r\nEnable=1\r\nNormal_rate=7\r\n";
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  SettingsModel a(kClock);
  SettingsModel b(kClock);
  EXPECT_TRUE(importConfigBytes(a, crlf));
  EXPECT_TRUE(importConfigBytes(b, lf));
  EXPECT_EQ(a.text("Callsign"), "SP3ABC");
  EXPECT_EQ(b.text("Callsign"), "sp3abc");  // values keep their case
  EXPECT_TRUE(b.setText("Callsign", "SP3ABC"));
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.index("WU_enable"), 1);
  EXPECT_EQ(a.text("WU_normalrate"), "7");
}

// ---- As the Windows profile reader reads ----------------------------------------

TEST(ImportConfigFile, OnePairOfMatchingQuotesAroundATextIsRemoved) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(
      m,
      "[Beacons]\nBeacon2_msg=\"quoted\"\nBeacon3_msg='single'\nBeacon4_msg=\"mixed'\n"
      "[APRS-IS]\nAprsis_pass=\"\"\n[WeatherUnderground]\nStationID= \"in\" \n"));
  EXPECT_EQ(m.text("Beacon2_msg"), "quoted");
  EXPECT_EQ(m.text("Beacon3_msg"), "single");
  EXPECT_EQ(m.text("Beacon4_msg"), "\"mixed'");
  EXPECT_EQ(m.text("Aprsis_pass"), "");
  EXPECT_EQ(m.text("WU_stationid"), "in");
}

TEST(ImportConfigFile, QuotedNumbersConvert) {
  SettingsModel m(kClock);
  EXPECT_TRUE(m.setChecked("Uploadpctime", true));
  EXPECT_TRUE(
      importConfigBytes(m, "[Radio]\nTXdelay=\"303\"\nPTT='1'\n[RTC]\nUploadpctime=\"0\"\n"));
  EXPECT_EQ(m.text("Txdelay"), "303");
  EXPECT_EQ(m.index("Ptt"), 1);
  EXPECT_FALSE(m.checked("Uploadpctime"));
}

TEST(ImportConfigFile, AKeyWithoutEqualsIsTheFirstEntryAndHasNoValue) {
  SettingsModel m = scrambledModel();
  EXPECT_TRUE(importConfigBytes(m, "[Radio]\nCallsign\nCallsign=AFTER\nPTT\n"));
  EXPECT_EQ(m.text("Callsign"), "NOCALL");
  EXPECT_EQ(m.index("Ptt"), 0);
  // A save gives the entry its value where it stands.
  const Result<std::string> saved =
      composeConfigFile(m, "[Radio]\r\nCallsign\r\nCallsign=AFTER\r\n");
  ASSERT_TRUE(saved);
  EXPECT_TRUE(saved.value().starts_with("[Radio]\r\nCallsign=NOCALL\r\nCallsign=AFTER\r\n"))
      << saved.value();
}

TEST(ImportConfigFile, AUtf8FileWithItsMarkIsReadAsEightBitText) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m,
                                "\xEF\xBB\xBF[Radio]\r\nCallsign=SP3ABC\r\n[Beacons]\r\n"
                                "Beacon2_msg=Z\xC3\xBCrich \xE2\x82\xAC"
                                "1 \xF0\x9F\x93\xA1 \xC0\xAF\r\n"));
  EXPECT_EQ(m.text("Callsign"), "SP3ABC");
  // No 8-bit form (the euro sign, an emoji, a malformed sequence): 0x7F, as the windows do.
  EXPECT_EQ(m.text("Beacon2_msg"),
            "Z\xFCrich \x7F"
            "1 \x7F \x7F\x7F");
}

TEST(ImportConfigFile, AUtf16FileWithItsMarkIsReadNormally) {
  const std::string text =
      "[Radio]\r\nCallsign=SP3ABC\r\nTXdelay=300\r\n[Beacons]\r\nBeacon2_msg=Z\xFCrich\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) utf16 += std::string{c, '\0'};
  utf16 += "\xAC\x20";  // a euro sign at the end of the last line
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m, utf16));
  EXPECT_EQ(m.text("Callsign"), "SP3ABC");
  EXPECT_EQ(m.text("Txdelay"), "300");
  EXPECT_EQ(m.text("Beacon2_msg"), "Z\xFCrich");
}

TEST(ImportConfigFile, ControlZFormFeedAndVerticalTabAreTrimmedLikeBlanks) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m, "[Radio]\nTXdelay=\x1A 300\f\nCallsign=\vSP3ABC\x1A\n\x1A"));
  EXPECT_EQ(m.text("Txdelay"), "300");
  EXPECT_EQ(m.text("Callsign"), "SP3ABC");
}

TEST(ImportConfigFile, ANulByteEndsTheValue) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m,
                                "[Radio]\nCallsign=SP3\0ABC\nTXdelay=3\0"
                                "00\n"s));
  EXPECT_EQ(m.text("Callsign"), "SP3");
  EXPECT_EQ(m.text("Txdelay"), "3");
}

TEST(ImportConfigFile, ASectionNameRunsToTheLastBracket) {
  SettingsModel m(kClock);
  EXPECT_TRUE(importConfigBytes(m, "[Radio]]\nCallsign=OTHER\n[Radio] ; x\nTXdelay=300\n"));
  EXPECT_EQ(m.text("Callsign"), "NOCALL");
  EXPECT_EQ(m.text("Txdelay"), "300");
}

TEST(ConfigFileRoundTrip, QuotedAndBlankEdgedTextsComeBackExactly) {
  TempDir dir;
  SettingsModel m(kClock);
  EXPECT_TRUE(m.setText("Beacon2_msg", "\"Hi\""));
  EXPECT_TRUE(m.setText("Beacon3_msg", "'x'"));
  EXPECT_TRUE(m.setText("Beacon4_msg", " two  "));
  ASSERT_TRUE(saveConfigFile(m, dir.file("q.cfg")).ok());
  EXPECT_NE(readFile(dir.file("q.cfg")).find("\r\nBeacon2_msg=\"\"Hi\"\"\r\n"), std::string::npos);
  SettingsModel back = scrambledModel();
  ASSERT_TRUE(importConfigFile(back, dir.file("q.cfg")).ok());
  EXPECT_EQ(back.text("Beacon2_msg"), "\"Hi\"");
  EXPECT_EQ(back.text("Beacon3_msg"), "'x'");
  EXPECT_EQ(back.text("Beacon4_msg"), " two  ");
}

// ---- Round trips --------------------------------------------------------------

TEST(ConfigFileRoundTrip, StartupSettingsComeBackExactly) {
  const std::string first = saveToString(SettingsModel(kClock));
  SettingsModel m = scrambledModel();
  ASSERT_EQ(importConfigBytes(m, first).value().versionMessage, "");
  EXPECT_EQ(saveToString(m), first);
}

// A text the file keeps: any bytes but line breaks and NUL, at times in quotes.
std::string randomText(std::mt19937& rng) {
  std::string s(std::uniform_int_distribution<int>(0, 40)(rng), 'x');
  for (char& c : s) {
    do c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    while (c == '\r' || c == '\n' || c == '\0');
  }
  if (rng() % 4 == 0) s = '"' + s + '"';
  return s;
}

std::string randomInteger(std::mt19937& rng) {
  const int n = std::uniform_int_distribution<int>(-100000, 100000)(rng);
  switch (rng() % 4) {
    case 0:
      return "+" + std::to_string(n < 0 ? -n : n);
    case 1:
      return n < 0 ? std::to_string(n) : "0x" + std::to_string(n);  // decimal digits read as hex
    case 2:
      return "00" + std::to_string(n < 0 ? -n : n);
    default:
      return std::to_string(n);
  }
}

TEST(ConfigFileRoundTrip, RandomSettingsSaveImportSaveIsByteIdentical) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 25; ++round) {
    SettingsModel m(kClock);
    for (const ConfigKey& k : configKeys()) {
      switch (k.form) {
        case FileForm::Fixed:
          break;
        case FileForm::Text:
          EXPECT_TRUE(m.setText(k.control, randomText(rng)));
          break;
        case FileForm::Integer:
          EXPECT_TRUE(m.setText(k.control, randomInteger(rng)));
          break;
        case FileForm::ItemIndex: {
          const auto items = static_cast<int>(
              settings::allSettings()[*settings::findSetting(k.control)].items.size());
          EXPECT_TRUE(
              m.setIndex(k.control, std::uniform_int_distribution<int>(-1, items - 1)(rng)));
          break;
        }
        case FileForm::Flag:
          EXPECT_TRUE(m.click(k.control, rng() % 2 == 0));
          break;
      }
    }
    const std::string first = saveToString(m);
    SettingsModel back = scrambledModel();
    EXPECT_TRUE(importConfigBytes(back, first));
    ASSERT_EQ(saveToString(back), first) << "round " << round;
    for (const ConfigKey& k : configKeys()) {
      if (k.form == FileForm::Text) {
        ASSERT_EQ(back.text(k.control), m.text(k.control)) << k.key;
      }
    }
  }
}

}  // namespace
}  // namespace zorbel::cfgfile
