#include "tests/support/config_fakes.h"

std::vector<IniLine> iniLines(const std::u16string& text) {
  auto trim = [](const std::u16string& s) {
    size_t a = s.find_first_not_of(u" \t\r"), b = s.find_last_not_of(u" \t\r");
    return a == std::u16string::npos ? std::u16string() : s.substr(a, b - a + 1);
  };
  std::vector<IniLine> lines;
  std::u16string section;
  for (size_t pos = 0, nl; pos <= text.size(); pos = nl + 1) {
    nl = std::min(text.find(u'\n', pos), text.size());
    std::u16string line = trim(text.substr(pos, nl - pos));
    size_t end = line.find(u']'), eq = line.find(u'=');
    if (line[0] == u'[' && end != std::u16string::npos) {
      section = trim(line.substr(1, end - 1));
      lines.push_back({section, u"", u""});
    } else if (line[0] != u';' && eq != std::u16string::npos && eq > 0) {
      lines.push_back({section, trim(line.substr(0, eq)), trim(line.substr(eq + 1))});
    }
  }
  return lines;
}
