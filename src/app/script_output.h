#pragma once

#include "download/download_record.h"
#include "platform/console_output.h"
#include "script/report_events.h"

#include <memory>
#include <string>

// Where a scripted request tells what it does: one reporter, whose sinks
// are the download record (told first: the console may be going away), then
// either the console's text and progress line or, with /json, the JSON
// stream on the standard output and the notes on the standard error.
class ScriptOutput {
public:
    explicit ScriptOutput(bool json);
    ScriptOutput(const ScriptOutput&) = delete;
    ScriptOutput& operator=(const ScriptOutput&) = delete;

    // The record that logPath names, else the settings file's ("": none).
    void OpenRecord(const std::string& settingsPath, const std::string& logPath);
    script::Reporter& Report() { return m_reporter; }
    download::DownloadRecord& Record() { return m_record; }
    // Whether the lines reach anyone: a console, a file or a pipe.
    bool Available() const { return m_console.Available(); }
    bool Json() const { return m_json != nullptr; }

private:
    platform::ConsoleOutput m_console;
    platform::ConsoleOutput m_errors{platform::ConsoleOutput::Stream::Error};
    download::DownloadRecord m_record;
    script::Reporter m_reporter;
    std::unique_ptr<script::ReportSink> m_text, m_progressLine, m_json;
};
