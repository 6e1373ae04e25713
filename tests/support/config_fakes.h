// In-memory stand-ins for the private-profile reader, the environment, the
// registry, the screen (1920x1080) and the locale, so the configuration rules
// run natively.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/config_source.h"

struct FakeRegistryValue {
  uint32_t type;
  std::vector<uint8_t> data;
};
// UTF-16 with its terminator, as the registry stores strings.
FakeRegistryValue registryString(const std::u16string& s, uint32_t type = kRegSz);
FakeRegistryValue registryDword(uint32_t v);

// Files hold INI text read with the system reader's rules: section and key
// names match without regard to case, blanks are trimmed, the first of
// duplicate keys wins, an empty present value is the empty text.
struct FakeConfigPlatform : ConfigPlatform {
  std::map<std::u16string, std::u16string> files, env;
  std::map<std::u16string, FakeRegistryValue> registry;  // "subkey|name"
  std::u16string thousands = u",", decimal = u".";
  bool localeWorks = true;

  bool readEnvironment(const char16_t* name, char16_t* out, size_t cap) override;
  bool expandEnvironment(const char16_t* text, char16_t* out, size_t cap) override;
  bool pathExists(const char16_t* path) override { return files.count(path) > 0; }
  bool readUserRegistry(const char16_t* subkey, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* bytes) override;
  size_t profileText(const char16_t* file, const char16_t* section, const char16_t* key,
                     const char16_t* def, char16_t* out, size_t cap) override;
  int32_t profileInt(const char16_t* file, const char16_t* section, const char16_t* key,
                     int32_t def) override;
  size_t profileSectionNames(const char16_t* file, char16_t* out, size_t cap) override;
  bool screenSize(int32_t* width, int32_t* height) override {
    *width = 1920;
    *height = 1080;
    return true;
  }
  bool localeText(LocaleItem item, char16_t* out, size_t cap) override;
};

constexpr const char16_t* kFakeHostFile = u"C:\\tc\\wincmd.ini";
// A platform whose COMMANDER_INI names kFakeHostFile, holding `ini`.
FakeConfigPlatform fakeHost(const std::u16string& ini);
