// Builds text language databases for tests: a header and one section per column.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct DbColumn {
  std::string name;
  std::vector<std::string> phrases;
};

// The native column and the foreign ones, CR LF line ends, NumberOfStrings from the native column
// and no offsets unless extraHeader brings them.
inline std::string BuildLanguageDb(const std::vector<DbColumn>& columns,
                                   const std::string& extraHeader = "") {
  std::string header = "[Tralexa]\r\nNumberOfLanguages=" + std::to_string(columns.size() - 1) +
                       "\r\nNumberOfStrings=" + std::to_string(columns.front().phrases.size()) +
                       "\r\n";
  for (size_t k = 1; k < columns.size(); ++k) {
    header += "Language" + std::to_string(k) + "=" + columns[k].name + "\r\n";
  }
  std::string body;
  for (const DbColumn& column : columns) {
    body += "[" + column.name + "]\r\n";
    for (size_t i = 0; i < column.phrases.size(); ++i) {
      body += "L" + std::to_string(i + 1) + "=" + column.phrases[i] + "\r\n";
    }
  }
  return header + extraHeader + body;
}

// A small German database of a few interface texts (natives in byte order).
inline std::string SmallGermanDb() {
  return BuildLanguageDb(
      {{"NATIVE", {"Already Staged", "Fuel", "Range", "Staged", "Time"}},
       {"Deutsch", {"Stufe bereits getrennt", "Treibstoff", "", "Stufe getrennt", "Zeit"}}});
}
