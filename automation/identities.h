#pragma once
// The fixed identities by which hosts find the component: type library, class, interfaces, names.

#include <string_view>

#include "automation/guid.h"
#include "tarvenish/automation.h"

namespace tarvenish {

// Type library TARVENISH, version 1.1, locale neutral.
inline constexpr std::string_view kTypeLibraryName = "TARVENISH";
inline constexpr Guid kTypeLibraryId{
    0x07690D9E, 0xD002, 0x4645, {0x89, 0x04, 0xE3, 0x2B, 0x8D, 0xE7, 0xC9, 0x5B}};
inline constexpr std::string_view kTypeLibraryVersion = "1.1";

// The creatable class JustAccount.
inline constexpr Guid kClsidJustAccount = TV_CLSID_JustAccount;
inline constexpr std::string_view kProgIdJustAccount = "TARVENISH.JustAccount";
inline constexpr std::string_view kThreadingModel = "Apartment";

// The class's default, dual dispatch interface _JustAccount.
inline constexpr Guid kIidJustAccount = TV_IID_JustAccount;

// The standard interfaces every object of the server answers to.
inline constexpr Guid kIidUnknown = TV_IID_IUnknown;
inline constexpr Guid kIidDispatch = TV_IID_IDispatch;
inline constexpr Guid kIidClassFactory = TV_IID_IClassFactory;

// The connection objects that the class factory hands to hosts.
inline constexpr Guid kIidConnection = TV_IID_Connection;

}  // namespace tarvenish
