#include "config/host_config.h"

#include <cstdlib>

#include "config/config_table.h"
#include "format/text.h"

using namespace hostkey;

namespace {

bool tryCandidate(ConfigPlatform& p, const char16_t* path, char16_t* out, size_t cap) {
  if (!path[0] || !p.pathExists(path)) return false;
  textCopy(out, cap, path);
  return true;
}

// The formatted candidate only counts when it was not cut: a cut path names
// some other file.
bool formatCandidate(char16_t* buf, const char16_t* format, const char16_t* value) {
  if (textLength(value) + textLength(format) - 2 >= kPathBuffer) return false;
  textFormat(buf, kPathBuffer, format, value);
  return true;
}

}  // namespace

// The host file and the file that holds `section` after redirection; both
// buffers kPathBuffer units.
static bool hostSectionFile(ConfigPlatform& p, const char16_t* section, char16_t* host,
                            char16_t* file) {
  if (!findHostFile(p, host, kPathBuffer)) return false;
  resolveSectionFile(p, host, section, file, kPathBuffer);
  return true;
}

bool findHostFile(ConfigPlatform& p, char16_t* out, size_t cap) {
  if (cap) out[0] = 0;
  char16_t buf[kPathBuffer];
  if (p.readEnvironment(kEnvCommanderIni, buf, kPathBuffer) && tryCandidate(p, buf, out, cap))
    return true;

  uint8_t data[kRegistryMaxBytes + 2];
  uint32_t bytes = kRegistryMaxBytes;
  uint32_t type = 0;
  if (p.readUserRegistry(kRegistryKey, kRegistryIniValue, &type, data, &bytes) &&
      (type == kRegSz || type == kRegExpandSz)) {
    if (bytes > kRegistryMaxBytes) bytes = kRegistryMaxBytes;
    size_t units = bytes / 2;
    if (units > kPathBuffer - 1) units = kPathBuffer - 1;
    char16_t text[kPathBuffer];
    for (size_t i = 0; i < units; ++i)
      text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    text[units] = 0;
    if (tryCandidate(p, text, out, cap)) return true;
  }

  char16_t value[kPathBuffer];
  if (p.readEnvironment(kEnvAppData, value, kPathBuffer) &&
      formatCandidate(buf, kAppDataFormat, value) && tryCandidate(p, buf, out, cap))
    return true;
  if (p.readEnvironment(kEnvCommanderPath, value, kPathBuffer) &&
      formatCandidate(buf, kCommanderPathFormat, value) && tryCandidate(p, buf, out, cap))
    return true;
  return false;
}

void resolveSectionFile(ConfigPlatform& p, const char16_t* hostFile, const char16_t* section,
                        char16_t* out, size_t cap) {
  textCopy(out, cap, hostFile);
  char16_t target[kPathBuffer];
  p.profileText(hostFile, section, kRedirectSection, u"", target, kPathBuffer);
  if (!target[0] || textEquals(target, u"0")) return;
  if (textEquals(target, u"1")) {
    p.profileText(hostFile, kConfiguration, kAlternateUserIni, u"", target, kPathBuffer);
    if (!target[0]) return;
  }
  char16_t expanded[kPathBuffer];
  const char16_t* name = p.expandEnvironment(target, expanded, kPathBuffer) ? expanded : target;

  bool hasSlash = false;
  for (const char16_t* c = name; *c; ++c)
    if (*c == u'\\' || *c == u'/') hasSlash = true;
  if (!hasSlash) {
    size_t folder = 0;  // host path up to and including its last backslash
    for (size_t i = 0; hostFile[i]; ++i)
      if (hostFile[i] == u'\\') folder = i + 1;
    if (folder > 0 && folder < cap) {
      textCopyN(out, cap, hostFile, folder);
      textAppend(out, cap, name);
      return;
    }
  }
  textCopy(out, cap, name);
}

ThemeAnswer hostDarkMode(ConfigPlatform& p, char16_t* diag, size_t diagCap) {
  char16_t env[kPathBuffer];
  if (!p.readEnvironment(kEnvCommanderIni, env, kPathBuffer) || !env[0])
    textCopy(env, kPathBuffer, u"(not set)");

  char16_t host[kPathBuffer];
  if (!findHostFile(p, host, kPathBuffer)) {
    textFormat(diag, diagCap, u"wincmd.ini NOT FOUND | COMMANDER_INI=[%s]", env);
    return ThemeAnswer::Undecided;
  }
  char16_t file[kPathBuffer];
  resolveSectionFile(p, host, kConfiguration, file, kPathBuffer);
  int32_t value = p.profileInt(file, kConfiguration, kDarkMode, kMissing);
  const char16_t* note =
      textCompareNoCase(file, host) != 0 ? u" | [Configuration] redirected" : u"";
  if (value == kMissing) {
    textFormat(diag, diagCap,
               u"DarkMode=(key missing, treated as 0/light) | COMMANDER_INI=[%s] | "
               u"wincmd.ini used=(%s)%s",
               env, host, note);
    return ThemeAnswer::Light;
  }
  textFormat(diag, diagCap, u"DarkMode=%d | COMMANDER_INI=[%s] | wincmd.ini used=(%s)%s", value,
             env, host, note);
  if (value == 2) return ThemeAnswer::Dark;
  if (value == 0) return ThemeAnswer::Light;
  return ThemeAnswer::Undecided;
}

ThemeAnswer windowsAppTheme(ConfigPlatform& p) {
  uint8_t data[8] = {};
  uint32_t bytes = sizeof data;
  uint32_t type = 0;
  if (!p.readUserRegistry(kThemeRegistryKey, kThemeRegistryValue, &type, data, &bytes) ||
      type != kRegDword || bytes != 4)
    return ThemeAnswer::Undecided;
  uint32_t v = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
  return v == 0 ? ThemeAnswer::Dark : ThemeAnswer::Light;
}

bool resolutionSection(ConfigPlatform& p, const char16_t* hostFile, char16_t* out, size_t cap) {
  if (cap) out[0] = 0;
  int32_t w = 0, h = 0;
  if (!p.screenSize(&w, &h)) return false;
  char16_t prefix[32];
  size_t plen = textFormat(prefix, 32, u"%dx%d", w, h);

  // 64 KB is too much for the host's stack.
  char16_t* names = static_cast<char16_t*>(malloc(kSectionNamesUnits * sizeof(char16_t)));
  if (!names) return false;
  names[0] = names[1] = 0;
  size_t n = p.profileSectionNames(hostFile, names, kSectionNamesUnits);
  if (n > kSectionNamesUnits - 2) n = kSectionNamesUnits - 2;
  names[n] = names[n + 1] = 0;  // a cut list still ends in two terminators

  bool found = false;
  for (size_t i = 0; i < n && names[i] && !found;) {
    const char16_t* name = names + i;
    size_t len = textLength(name);
    if (len >= plen) {
      bool match = true;
      for (size_t k = 0; k < plen && match; ++k)
        match = textFoldCase(name[k]) == textFoldCase(prefix[k]);
      if (match && !(name[plen] >= u'0' && name[plen] <= u'9')) {
        textCopy(out, cap, name);
        found = true;
      }
    }
    i += len + 1;
  }
  free(names);
  return found;
}

bool hostFont(ConfigPlatform& p, HostFont* font) {
  font->face[0] = 0;
  font->size = -1;
  font->weight = -1;
  char16_t host[kPathBuffer], file[kPathBuffer];
  if (!hostSectionFile(p, kAllResolutions, host, file)) return false;
  p.profileText(file, kAllResolutions, kFontName, u"", font->face, 64);
  font->size = p.profileInt(file, kAllResolutions, kFontSize, -1);
  font->weight = p.profileInt(file, kAllResolutions, kFontWeight, -1);

  if (!font->face[0] || font->size < 6 || font->weight < 0) {
    char16_t section[kPathBuffer];
    if (resolutionSection(p, host, section, kPathBuffer)) {
      if (!font->face[0]) p.profileText(host, section, kFontName, u"", font->face, 64);
      if (font->size < 6) font->size = p.profileInt(host, section, kFontSize, -1);
      if (font->weight < 0) font->weight = p.profileInt(host, section, kFontWeight, -1);
    }
  }
  if (!font->face[0]) return false;
  if (font->size < 6) font->size = 11;
  if (font->weight < 100 || font->weight > 1000) font->weight = 400;
  return true;
}

bool hostIconSize(ConfigPlatform& p, int32_t* size) {
  char16_t host[kPathBuffer], file[kPathBuffer];
  if (!hostSectionFile(p, kAllResolutions, host, file)) return false;
  int32_t v = p.profileInt(file, kAllResolutions, kIconsize32, -1);
  if (v >= 8) {
    *size = v;
    return true;
  }
  char16_t section[kPathBuffer];
  if (!resolutionSection(p, host, section, kPathBuffer)) return false;
  v = p.profileInt(host, section, kIconsize32, -1);
  if (v < 8) return false;
  *size = v;
  return true;
}

bool hostConfigInt(ConfigPlatform& p, const char16_t* key, int32_t* value) {
  char16_t host[kPathBuffer], file[kPathBuffer];
  if (!hostSectionFile(p, kConfiguration, host, file)) return false;
  int32_t v = p.profileInt(file, kConfiguration, key, kMissing);
  if (v == kMissing) return false;
  *value = v;
  return true;
}

void readSeparators(ConfigPlatform& p, char16_t* thousands, char16_t* decimal) {
  char16_t text[kSeparatorRead];
  thousands[0] = u',';
  if (p.localeText(LocaleItem::Thousands, text, kSeparatorRead) && text[0]) thousands[0] = text[0];
  thousands[1] = 0;
  decimal[0] = u'.';
  if (p.localeText(LocaleItem::Decimal, text, kSeparatorRead) && text[0]) decimal[0] = text[0];
  decimal[1] = 0;

  char16_t host[kPathBuffer], file[kPathBuffer];
  if (!hostSectionFile(p, kConfiguration, host, file)) return;
  p.profileText(file, kConfiguration, kCustomSeparators, u"", text, kSeparatorRead);
  if (textLengthBounded(text, kSeparatorRead) >= 4) {
    thousands[0] = text[2];
    decimal[0] = text[3];
  }
}

bool hostIconLibrary(ConfigPlatform& p, char16_t* out, size_t cap) {
  if (cap) out[0] = 0;
  char16_t host[kPathBuffer], file[kPathBuffer];
  if (!hostSectionFile(p, kConfiguration, host, file)) return false;
  char16_t lib[kPathBuffer];
  p.profileText(file, kConfiguration, kIconLib, u"", lib, kPathBuffer);
  if (!lib[0]) return false;
  char16_t expanded[kPathBuffer];
  if (!p.expandEnvironment(lib, expanded, kPathBuffer)) return false;
  if (!expanded[0] || !p.pathExists(expanded)) return false;
  textCopy(out, cap, expanded);
  return true;
}
