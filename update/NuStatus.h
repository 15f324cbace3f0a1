// Status texts of the update engine and its log file.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <string>

namespace NUpdate {

// The string-table text of a status number ("" for numbers without a text).
const char* StatusText(int number);
// The text with its "%s" replaced by `param`; a text without "%s" ignores it.
std::string FormatStatus(int number, const std::string& param);
// "dd/mm/yyyy hh:nn:ss" with "/" and ":" whatever the user's locale: the log is
// one file that the program and the updater (which takes no locale) write.
std::string LogStamp(TDateTime now);
// "dd/mm/yyyy hh:nn:ss : [number] text (Status:s) (Error:e)".
std::string LogLine(TDateTime now, int number, const std::string& text, int status, int error);
// Appends `line` to the log file, creating it readable by its owner only.
// A log that cannot be written loses the line, never the update: false then.
bool WriteLog(const std::string& fileName, const std::string& line);

}  // namespace NUpdate
