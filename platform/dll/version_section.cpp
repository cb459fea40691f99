// The library's version record, kept in a section of its own where readVersionRecord finds it.

#include <array>

#include "automation/version_record.h"

namespace {

[[gnu::used,
  gnu::section(".tarvenish_version")]] const std::array<char, tarvenish::kVersionRecordBytes.size()>
    kEmbeddedVersionRecord = tarvenish::kVersionRecordBytes;

}  // namespace
