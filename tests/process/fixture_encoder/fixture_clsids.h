#pragma once

// The fixture encoders' CLSIDs, in the order they are registered: the order in which Wine's Media
// Foundation enumerates them. tests/process/e2e/cases.py reads them from this file, in this order,
// so each stays one initializer of this form: {0x........, 0x...., 0x...., {0x.., ... 0x..}}.

#include <windows.h>

#include <array>

namespace velkaron::wine_test {

// Asynchronous, offers five input types, one of them unlabelled.
inline constexpr GUID kFullClsid = {
    0x7E570001, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
// Synchronous, offers NV12 twice.
inline constexpr GUID kSyncClsid = {
    0x7E570002, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};
// Says it is not asynchronous (flag 0) and offers no input type.
inline constexpr GUID kNoInputsClsid = {
    0x7E570003, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}};
// Refuses the asynchronous unlock.
inline constexpr GUID kUnlockRefusedClsid = {
    0x7E57BAD1, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04}};
// Refuses the output type and describes why.
inline constexpr GUID kOutputRefusedClsid = {
    0x7E57BAD2, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}};
// Fails the input type walk at its third index.
inline constexpr GUID kWalkFailsClsid = {
    0x7E57BAD3, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06}};
// Has no class object: COM cannot create it.
inline constexpr GUID kNoClassObjectClsid = {
    0x7E57FA11, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07}};
// Its class factory refuses to create it.
inline constexpr GUID kCreationRefusedClsid = {
    0x7E57FA11, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08}};

inline constexpr std::array kFixtureClsids = {
    kFullClsid,          kSyncClsid,      kNoInputsClsid,      kUnlockRefusedClsid,
    kOutputRefusedClsid, kWalkFailsClsid, kNoClassObjectClsid, kCreationRefusedClsid};

}  // namespace velkaron::wine_test
