// What the configuration logic needs from the platform, as two small
// interfaces, so every rule over them is tested natively against in-memory
// files, environment and registry (tests/support/config_fakes.*), while the
// Win32 layer (config_win.cpp) only forwards to the system calls.
#pragma once
#include <cstddef>
#include <cstdint>

// A private-profile (INI) reader over one file: section and key names match
// without regard to case, surrounding blanks are trimmed, a missing file or
// key gives the default, a present empty value gives the empty text. Text is
// cut to cap-1 units and always terminated.
struct SettingsSource {
  virtual ~SettingsSource() = default;
  virtual size_t readText(const char16_t* section, const char16_t* key, const char16_t* def,
                          char16_t* out, size_t cap) const = 0;
  // An optional minus sign and leading decimal digits; no digit gives 0.
  virtual int32_t readInt(const char16_t* section, const char16_t* key, int32_t def) const = 0;
};

enum class LocaleItem { Thousands, Decimal };

// Registry value types as the registry reports them.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;

struct ConfigPlatform {
  virtual ~ConfigPlatform() = default;
  // False when the variable is unset, or its value does not fit in cap units.
  virtual bool readEnvironment(const char16_t* name, char16_t* out, size_t cap) = 0;
  // False when expansion fails or the result does not fit.
  virtual bool expandEnvironment(const char16_t* text, char16_t* out, size_t cap) = 0;
  virtual bool pathExists(const char16_t* path) = 0;
  // A value under HKEY_CURRENT_USER: raw bytes as the registry gives them.
  // On entry *bytes is the capacity of data; on success it is the size read.
  virtual bool readUserRegistry(const char16_t* subkey, const char16_t* name, uint32_t* type,
                                void* data, uint32_t* bytes) = 0;
  // The private-profile reader over any file (rules as SettingsSource).
  virtual size_t profileText(const char16_t* file, const char16_t* section, const char16_t* key,
                             const char16_t* def, char16_t* out, size_t cap) = 0;
  virtual int32_t profileInt(const char16_t* file, const char16_t* section, const char16_t* key,
                             int32_t def) = 0;
  // Section names as a list of terminated names ending in an empty one;
  // returns the units written before the final terminator (0: none or failure).
  virtual size_t profileSectionNames(const char16_t* file, char16_t* out, size_t cap) = 0;
  // The full size of the monitor the panel sits on (or of the primary screen).
  virtual bool screenSize(int32_t* width, int32_t* height) = 0;
  virtual bool localeText(LocaleItem item, char16_t* out, size_t cap) = 0;
};

// The settings file read through the platform's profile reader.
struct ProfileSettingsSource : SettingsSource {
  ConfigPlatform* platform = nullptr;
  const char16_t* file = nullptr;  // null: behaves as a missing file
  size_t readText(const char16_t* section, const char16_t* key, const char16_t* def, char16_t* out,
                  size_t cap) const override;
  int32_t readInt(const char16_t* section, const char16_t* key, int32_t def) const override;
};
