#pragma once
// The fixed identities by which hosts find the component: type library, class, interfaces, names.

#include <string_view>

#include "platform/automation/guid.h"

namespace tarvenish {

// Type library TARVENISH, version 1.1, locale neutral.
inline constexpr std::string_view kTypeLibraryName = "TARVENISH";
inline constexpr Guid kTypeLibraryId{
    0x07690D9E, 0xD002, 0x4645, {0x89, 0x04, 0xE3, 0x2B, 0x8D, 0xE7, 0xC9, 0x5B}};
inline constexpr std::string_view kTypeLibraryVersion = "1.1";

// The creatable class JustAccount.
inline constexpr Guid kClsidJustAccount{
    0x717201C8, 0x1C85, 0x4324, {0xAC, 0xDD, 0x25, 0xC0, 0x97, 0x5F, 0x6A, 0x5E}};
inline constexpr std::string_view kProgIdJustAccount = "TARVENISH.JustAccount";
inline constexpr std::string_view kThreadingModel = "Apartment";

// The class's default, dual dispatch interface _JustAccount.
inline constexpr Guid kIidJustAccount{
    0x94C3B60E, 0x3CF8, 0x49F1, {0x88, 0xA0, 0x4D, 0xD8, 0x5E, 0xF0, 0x76, 0xC0}};

// The standard interfaces every object of the server answers to.
inline constexpr Guid kIidUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid kIidDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid kIidClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The connection objects that the class factory hands to hosts.
inline constexpr Guid kIidConnection{
    0x64961D2C, 0x68A0, 0x47F3, {0xB0, 0x3A, 0x02, 0xF9, 0x2F, 0xE8, 0x9C, 0xDD}};

}  // namespace tarvenish
