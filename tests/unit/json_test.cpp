// The JSON stream: pure ASCII, and every event a line a real parser reads back.
#include "script/json_sink.h"
#include "script/port_listing.h"

#include <gtest/gtest.h>

#include <cmath>

#ifdef TAVRO_JSON_PARSER_MISSING
TEST(JsonText, StringsInPureAscii) {
    GTEST_SKIP() << TAVRO_JSON_PARSER_MISSING;
}
TEST(JsonSink, Events) {
    GTEST_SKIP() << TAVRO_JSON_PARSER_MISSING;
}
#else
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json; // equal only with the keys in the same order
using namespace std::chrono_literals;
using run::Outcome;

bool PureAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0 && c < 0x7F; });
}

TEST(JsonText, StringsInPureAscii) {
    struct Row {
        std::string utf8, json, back; // back: what a reader gets; "": utf8 itself
    };
    const Row rows[] = {
        {"é Łódź 中", R"("\u00e9 \u0141\u00f3d\u017a \u4e2d")", ""},
        {"\xF0\x9F\x98\x80", R"("\ud83d\ude00")", ""}, // beyond U+FFFF: two halves
        {"a\"b\\c/\n\r\t\b\f\x01\x1f\x7f", R"("a\"b\\c/\n\r\t\b\f\u0001\u001f\u007f")", ""},
        {"C:\\fw\xFF.fdl", R"("C:\\fw\ufffd.fdl")", "C:\\fw\uFFFD.fdl"},
        {"\xE0\x80\xAF", R"("\ufffd\ufffd\ufffd")", "\uFFFD\uFFFD\uFFFD"}, // overlong '/'
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")", "\uFFFD\uFFFD\uFFFD"}, // a UTF-16 half
        {"x\xE4\xB8", R"("x\ufffd\ufffd")", "x\uFFFD\uFFFD"},              // cut short
    };
    for (const Row& row : rows) {
        const std::string json = script::JsonString(row.utf8);
        EXPECT_TRUE(PureAscii(json)) << json;
        EXPECT_EQ(json, row.json);
        EXPECT_EQ(Json::parse(json), row.back.empty() ? row.utf8 : row.back) << json;
    }
    // Numbers: seconds to a tenth as the record has them; what is none is left out.
    script::JsonObject object;
    object.Add("code", -217).Add("size", uint64_t{4294967296}).AddTenths("seconds", 45.6);
    object.AddTenths("short", 0.04).AddTenths("nan", std::nan("")).AddTenths("inf", HUGE_VAL);
    EXPECT_EQ(object.AddIfKnown("empty", "").Text(),
              R"({"code":-217,"size":4294967296,"seconds":45.6,"short":0.0})");
}

TEST(JsonSink, Events) {
    struct Row {
        const char* name;
        std::function<void(script::JsonSink&)> feed;
        std::vector<std::string> lines; // each with "schema" first, added here
    };
    const auto start = [](int attempt) {
        return script::RunStart{"2.2", "",          true,  1,  "USB Serial Port", "", 5, 1, 3,
                                "",    "C:\\a.fdl", 79439, "", attempt,           2};
    };
    const auto facts = [](const char* address, const char* outcome, std::optional<int> code,
                          int attempt) { // no port, target or file: none told
        const run::UtcTime time{2025, 3, 14, 9, 13, 24};
        return script::RunFacts{time,    0, address,        "", "", outcome, code, outcome, false,
                                attempt, 2, attempt * 12.3, "", "", {},      "",   "",      false};
    };
    const std::string kStart = R"({"event":"start","program":"2.2","simulator":true,"port":1,)"
                               R"("portName":"USB Serial Port","cpm":5,"index":1,"count":3,)"
                               R"("file":"C:\\a.fdl","size":79439,)";
    const std::string kProgress = R"({"event":"progress","cpm":5,"attempt":)";
    const std::string kPhase = R"("phase":5,"phaseText":"Prog CPR Flash",)";
    const std::string kEnd = R"({"event":"end","time":"2025-03-14T09:13:24Z",)";
    const Row rows[] = {
        {"a retried CPM, then two not run",
         [&](script::JsonSink& sink) {
             sink.RunStarted(start(1));
             sink.RunProgressed({5, "", 1, 2, -1, 0, 0ms});
             sink.RunProgressed({5, "", 1, 2, -1, 10, 300ms}); // within the second: none
             sink.RunProgressed({5, "", 1, 2, 5, 210, 600ms}); // a new phase
             sink.RunProgressed({5, "", 1, 2, 5, 215, 1600ms});
             sink.RunEnded(facts("5", "failed", -304, 1));
             sink.RunStarted(start(2));
             sink.RunProgressed({5, "", 2, 2, 5, 500, 200ms}); // the attempt's first
             sink.RunEnded(facts("5", "downloaded", 500, 2));
             sink.SequenceEnded({facts("7", "not run", {}, 0), facts("", "not run", {}, 0)},
                                {{Outcome::Downloaded, Outcome::NotRun, Outcome::NotRun}, 1, ""},
                                std::nullopt);
         },
         {kStart + R"("attempt":1,"attempts":2})", kProgress + R"(1,"percent":0,"seconds":0})",
          kProgress + R"(1,"percent":42,)" + kPhase + R"("seconds":0})",
          kProgress + R"(1,"percent":43,)" + kPhase + R"("seconds":1})",
          kEnd + R"("cpm":5,"outcome":"failed","code":-304,"text":"failed","attempt":1,)"
                 R"("attempts":2,"seconds":12.3,"simulator":false})",
          kStart + R"("attempt":2,"attempts":2})",
          kProgress + R"(2,"percent":100,)" + kPhase + R"("seconds":0})",
          kEnd + R"("cpm":5,"outcome":"downloaded","code":500,"text":"downloaded",)"
                 R"("attempt":2,"attempts":2,"seconds":24.6,"simulator":false})",
          kEnd + R"("cpm":7,"outcome":"not run","text":"not run","seconds":0.0,"simulator":false})",
          kEnd + R"("outcome":"not run","text":"not run","seconds":0.0,"simulator":false})",
          R"({"event":"summary","cpms":3,"outcomes":{"downloaded":1,"not run":2},"exitCode":1})"}},
        {"a refusal; a note goes to standard error",
         [&](script::JsonSink& sink) {
             sink.Note("The record cannot be written.");
             sink.Refused(facts("1,3,5-7", "refused", {}, 0), 2);
         },
         {R"({"event":"refused","outcome":"refused","text":"refused","address":"1,3,5-7",)"
          R"("exitCode":2})"}},
        {"ports in the listing's order",
         [](script::JsonSink& sink) {
             sink.PortsListed(
                 script::PortRows(0x5, {{17, "USB-SERIAL CH340", "wch.cn", "1A86:7523", ""},
                                        {2, "", "", "", ""},
                                        {3, "Périphérique série USB", "FTDI", "", "A1"}}));
         },
         {R"({"event":"port","port":1,"offered":true})",
          R"({"event":"port","port":3,"offered":true,)"
          R"("name":"P\u00e9riph\u00e9rique s\u00e9rie USB","manufacturer":"FTDI","serial":"A1"})",
          R"({"event":"port","port":2,"offered":false})",
          R"({"event":"port","port":17,"offered":false,"name":"USB-SERIAL CH340",)"
          R"("manufacturer":"wch.cn","usbIds":"1A86:7523"})"}},
        {"the version, with the library and without",
         [](script::JsonSink& sink) {
             sink.VersionTold({"2.2", true, "C:\\T\\Vardel.dll", "1.0.0.0", true, "all"}, 0);
             sink.VersionTold({"2.2", false, "", "", false, "Vardel.dll\nWrong version!"}, 5);
         },
         {R"({"event":"version","program":"2.2","libraryPath":"C:\\T\\Vardel.dll",)"
          R"("libraryVersion":"1.0.0.0","simulator":true,"exitCode":0})",
          R"({"event":"version","program":"2.2","text":"Vardel.dll Wrong version!","exitCode":5})"}},
    };
    std::string notes;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> lines;
        script::JsonSink sink([&lines](const std::string& line) { lines.push_back(line); },
                              [&notes](const std::string& note) { notes += note; },
                              platform::StringTableText);
        row.feed(sink);
        ASSERT_EQ(lines.size(), row.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(PureAscii(lines[i])) << lines[i];
            EXPECT_EQ(Json::parse(lines[i]),
                      Json::parse(R"({"schema":"tavro-download/1",)" + row.lines[i].substr(1)));
        }
    }
    EXPECT_EQ(notes, "The record cannot be written.");
}

} // namespace
#endif
