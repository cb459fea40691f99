#include "ledger/dialect/extension_path.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "ledger/db/error.h"

namespace tarvenish {

std::string dialectExtensionPath() {
    Dl_info info{};
    // The image that holds this very function: the command, the library, or a test program.
    if (dladdr(reinterpret_cast<void*>(&dialectExtensionPath), &info) == 0 || info.dli_fname == nullptr)
        throw DbError("find the SQLite dialect functions", 0, "the component cannot tell where it lies", {});
    std::error_code error;
    const std::filesystem::path here =
        std::filesystem::weakly_canonical(std::filesystem::path(info.dli_fname), error).parent_path();
    std::string looked;
    for (const std::filesystem::path& folder : {here, here.parent_path(), here.parent_path() / "lib",
                                                here.parent_path() / TARVENISH_INSTALL_LIBDIR}) {
        const std::filesystem::path candidate = folder / kDialectExtensionName;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
        looked += (looked.empty() ? "" : ", ") + folder.string();
    }
    throw DbError("find the SQLite dialect functions", 0,
                  std::string(kDialectExtensionName) + " is not installed (looked in " + looked + ")", {});
}

}  // namespace tarvenish
