#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "automation/identities.h"
#include "automation/registry_file.h"

namespace tarvenish {
namespace {

namespace fs = std::filesystem;

fs::path makeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "tarvenish-registry-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

ClassRegistration sampleRegistration() {
    return {kClsidJustAccount, "TARVENISH.JustAccount", "/opt/lib/TARVENISH.so", kTypeLibraryId, "1.1",
            "Apartment"};
}

// Sets an environment variable for the life of the object and puts the old value back afterwards.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class RegistryFile : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir = makeTempDir();
    fs::path m_file = m_dir / "registry.json";
};

TEST_F(RegistryFile, CreatesTheFileAndItsFolder) {
    const fs::path file = m_dir / "nested" / "tarvenish" / "registry.json";
    registerClass(file, sampleRegistration());
    EXPECT_EQ(findClass(file, kClsidJustAccount), sampleRegistration());
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST_F(RegistryFile, KeepsEveryOtherEntryThroughARoundTrip) {
    writeAll(
        m_file,
        R"({"owner":"someone","classes":{"{00000000-0000-0000-0000-000000000001}":{"progId":"Other.Thing"}}})");

    registerClass(m_file, sampleRegistration());
    ClassRegistration changed = sampleRegistration();
    changed.serverPath = "/usr/lib/TARVENISH.so";
    registerClass(m_file, changed);
    EXPECT_EQ(findClass(m_file, kClsidJustAccount), changed);

    EXPECT_TRUE(unregisterClass(m_file, kClsidJustAccount));
    EXPECT_FALSE(findClass(m_file, kClsidJustAccount));
    const std::string text = readAll(m_file);
    EXPECT_NE(text.find("Other.Thing"), std::string::npos);
    EXPECT_NE(text.find("someone"), std::string::npos);
}

TEST_F(RegistryFile, UnregisteringAnAbsentRecordChangesNothing) {
    EXPECT_FALSE(unregisterClass(m_file, kClsidJustAccount));
    EXPECT_FALSE(fs::exists(m_file));

    writeAll(m_file, R"({"classes":{}})");
    EXPECT_FALSE(unregisterClass(m_file, kClsidJustAccount));
    EXPECT_EQ(readAll(m_file), R"({"classes":{}})");
}

TEST_F(RegistryFile, RefusesToOverwriteADamagedFile) {
    writeAll(m_file, "{\"classes\": [oops");
    EXPECT_THROW(registerClass(m_file, sampleRegistration()), RegistryError);
    EXPECT_THROW(unregisterClass(m_file, kClsidJustAccount), RegistryError);
    EXPECT_EQ(readAll(m_file), "{\"classes\": [oops");
}

TEST(RegistryFilePath, PrefersTheExplicitFileThenXdgThenHome) {
    ScopedEnv home("HOME", "/home/u");
    {
        ScopedEnv explicitFile("TARVENISH_REGISTRY", "/tmp/r.json");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(registryFilePath(), fs::path("/tmp/r.json"));
    }
    {
        ScopedEnv explicitFile("TARVENISH_REGISTRY", nullptr);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(registryFilePath(), fs::path("/cfg/tarvenish/registry.json"));
    }
    {
        ScopedEnv explicitFile("TARVENISH_REGISTRY", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(registryFilePath(), fs::path("/home/u/.config/tarvenish/registry.json"));
    }
}

TEST(RegistryFilePath, FailsWhenNoLocationIsKnown) {
    ScopedEnv explicitFile("TARVENISH_REGISTRY", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    EXPECT_THROW((void)registryFilePath(), RegistryError);
}

}  // namespace
}  // namespace tarvenish
