#include "automation/registry_file.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

namespace tarvenish {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kClasses = "classes";

const char* envValue(const char* name) {
    const char* value = std::getenv(name);
    return (value && *value) ? value : nullptr;
}

// The file's document; an empty object when the file does not exist.
json load(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        if (ec) throw RegistryError("cannot reach registry file " + file.string() + ": " + ec.message());
        return json::object();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw RegistryError("cannot read registry file " + file.string());
    std::stringstream text;
    text << in.rdbuf();
    // A damaged file is reported, never overwritten: it may hold other servers' records.
    json document = json::parse(text.str(), nullptr, false);
    if (document.is_discarded() || !document.is_object())
        throw RegistryError("registry file " + file.string() + " is not a JSON object");
    if (document.contains(kClasses) && !document[kClasses].is_object())
        throw RegistryError("registry file " + file.string() + ": \"classes\" is not an object");
    return document;
}

void save(const fs::path& file, const json& document) {
    std::error_code ec;
    const fs::path folder = file.parent_path();
    if (!folder.empty()) {
        fs::create_directories(folder, ec);
        if (ec) throw RegistryError("cannot create folder " + folder.string() + ": " + ec.message());
    }
    static std::atomic<unsigned> counter{0};
    fs::path temporary = file;
    temporary += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << document.dump(2) << '\n';
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, ec);
            throw RegistryError("cannot write registry file " + temporary.string());
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw RegistryError("cannot replace registry file " + file.string() + ": " + ec.message());
    }
}

std::string textField(const json& record, const char* name) {
    const auto it = record.find(name);
    return (it != record.end() && it->is_string()) ? it->get<std::string>() : std::string();
}

}  // namespace

fs::path registryFilePath() {
    if (const char* explicitFile = envValue("TARVENISH_REGISTRY")) return fs::path(explicitFile);
    if (const char* config = envValue("XDG_CONFIG_HOME"))
        return fs::path(config) / "tarvenish" / "registry.json";
    if (const char* home = envValue("HOME"))
        return fs::path(home) / ".config" / "tarvenish" / "registry.json";
    throw RegistryError("no registry file: none of TARVENISH_REGISTRY, XDG_CONFIG_HOME and HOME is set");
}

void registerClass(const fs::path& file, const ClassRegistration& registration) {
    json document = load(file);
    document[kClasses][registration.clsid.format()] = {
        {"progId", registration.progId},
        {"server", registration.serverPath},
        {"threadingModel", registration.threadingModel},
        {"typeLibrary",
         {{"id", registration.typeLibrary.format()}, {"version", registration.typeLibraryVersion}}},
    };
    save(file, document);
}

bool unregisterClass(const fs::path& file, const Guid& clsid) {
    json document = load(file);
    if (!document.contains(kClasses) || document[kClasses].erase(clsid.format()) == 0) return false;
    save(file, document);
    return true;
}

std::optional<ClassRegistration> findClass(const fs::path& file, const Guid& clsid) {
    const json document = load(file);
    const auto classes = document.find(kClasses);
    if (classes == document.end()) return std::nullopt;
    const auto record = classes->find(clsid.format());
    if (record == classes->end() || !record->is_object()) return std::nullopt;

    ClassRegistration registration;
    registration.clsid = clsid;
    registration.progId = textField(*record, "progId");
    registration.serverPath = textField(*record, "server");
    registration.threadingModel = textField(*record, "threadingModel");
    if (const auto library = record->find("typeLibrary"); library != record->end() && library->is_object()) {
        registration.typeLibrary = Guid::parse(textField(*library, "id")).value_or(Guid{});
        registration.typeLibraryVersion = textField(*library, "version");
    }
    return registration;
}

}  // namespace tarvenish
