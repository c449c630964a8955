#pragma once
// Settings as INI files with Windows private-profile semantics: sections and keys compared without
// regard to ASCII case, entries kept in file order, integers read with a default.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace plume::platform {

class Profile {
public:
    virtual ~Profile() = default;

    // The value of the key (spaces around it and one pair of enclosing quotes removed), or
    // `fallback` when the section or key is missing.
    virtual std::string getString(std::string_view section, std::string_view key, std::string_view fallback) const = 0;
    // `fallback` when the key is missing or its value empty; otherwise the leading integer of the
    // value (spaces, an optional sign, decimal digits), 0 when it starts with no digit.
    virtual int getInt(std::string_view section, std::string_view key, int fallback) const = 0;
    // Replaces the value in place, or appends the key to its section (and the section to the file).
    // An empty value is written as "key="; a value holding a line break is refused.
    virtual bool writeString(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual bool writeInt(std::string_view section, std::string_view key, int value) = 0;
    virtual bool removeKey(std::string_view section, std::string_view key) = 0;
    virtual bool removeSection(std::string_view section) = 0;
};

// Both implementations share one text engine; they differ only in where the text lives.
class IniProfile : public Profile {
public:
    std::string getString(std::string_view section, std::string_view key, std::string_view fallback) const override;
    int getInt(std::string_view section, std::string_view key, int fallback) const override;
    bool writeString(std::string_view section, std::string_view key, std::string_view value) override;
    bool writeInt(std::string_view section, std::string_view key, int value) override;
    bool removeKey(std::string_view section, std::string_view key) override;
    bool removeSection(std::string_view section) override;

protected:
    // The whole file as UTF-8 text; empty when there is none.
    virtual std::string loadText() const = 0;
    virtual bool storeText(const std::string& text) = 0;

private:
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
};

// A file re-read on every call and written through writeFileAtomically; the folder is created
// on the first write.
class FileProfile : public IniProfile {
public:
    explicit FileProfile(std::filesystem::path path) : m_path(std::move(path)) {}
    const std::filesystem::path& path() const { return m_path; }

protected:
    std::string loadText() const override;
    bool storeText(const std::string& text) override;

private:
    std::filesystem::path m_path;
};

// For tests: the same semantics over a string.
class MemoryProfile : public IniProfile {
public:
    explicit MemoryProfile(std::string text = {}) : m_text(std::move(text)) {}
    const std::string& text() const { return m_text; }

protected:
    std::string loadText() const override { return m_text; }
    bool storeText(const std::string& text) override {
        m_text = text;
        return true;
    }

private:
    std::string m_text;
};

// $PLUME_CONFIG_DIR if set, else $XDG_CONFIG_HOME/Plume, else ~/.config/Plume.
std::filesystem::path configFolder();
// $PLUME_DATA_DIR if set, else $XDG_DATA_HOME/Plume, else ~/.local/share/Plume.
std::filesystem::path dataFolder();

// `plm.ini` and the application profile `Plume.ini` in the configuration folder, unless a test or
// the GUI has installed its own.
Profile& plmProfile();
Profile& appProfile();
// Installs profiles (not owned) for the whole process; nullptr goes back to the files.
void installProfiles(Profile* plm, Profile* app);

}  // namespace plume::platform
