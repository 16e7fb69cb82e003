#pragma once

#include <map>
#include <string>
#include <string_view>

namespace arrange5 {

// The keys of one section of an INI text, each with the text QSettings (IniFormat) gives for
// it, so that the command line reads the window's settings file exactly as the window does:
// a UTF-8 byte-order mark is skipped; a section written twice is one section, and a key
// written twice keeps its last value; a line without '=' and a line starting with ';' are
// skipped; ';' outside quotes ends a line; a backslash before the line break continues the
// line; the value loses the blanks around it, its double quotes and its backslash escapes
// (\n \t \" \\ …, \x hex, octal); an unquoted ',' makes a list, which reads as an empty text;
// "@@" stands for '@' and @String(…) for its text.
//
// Forms whose reading the command line does not share with the window (a key with '%' or
// '\' escapes, a value of another type such as @Variant(…)) in `section` throw
// SettingsFileError naming the line, instead of being read differently. `name` is the file,
// for that message.
std::map<std::string, std::string> readQtIniSection(std::string_view text, std::string_view section,
                                                    const std::string& name);

}  // namespace arrange5
