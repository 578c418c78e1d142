#include "app/script_output.h"

#include "platform/profile_file.h"
#include "platform/text.h"
#include "script/json_sink.h"
#include "script/progress_line.h"
#include "script/text_sink.h"

ScriptOutput::ScriptOutput(bool json) {
    m_reporter.Add(m_record);
    const auto write = [this](const std::string& line) { m_console.WriteLine(line); };
    if (json) {
        m_json = std::make_unique<script::JsonSink>(
            write, [this](const std::string& line) { m_errors.WriteLine(line); },
            platform::ResourceText);
        m_reporter.Add(*m_json);
        return;
    }
    m_text = std::make_unique<script::ConsoleTextSink>(write, platform::ResourceText);
    m_progressLine = std::make_unique<script::ProgressLineSink>(
        [this](const std::string& line) { m_console.ShowProgress(line); });
    m_reporter.Add(*m_text);
    m_reporter.Add(*m_progressLine);
}

void ScriptOutput::OpenRecord(const std::string& settingsPath, const std::string& logPath) {
    platform::ProfileFile profile(settingsPath);
    m_record.Open(logPath.empty() ? script::RecordPathSetting(profile, settingsPath) : logPath,
                  [this](const std::string& text) { m_reporter.Note(text); });
}
