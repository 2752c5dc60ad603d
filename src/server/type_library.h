// The VelloraX type library: its identity, the five dual interfaces (members
// with dispatch ids, slots, parameters and help strings) and the five
// creatable classes with their ProgIDs, descriptions and threading models.
#pragma once

#include <span>
#include <string_view>

#include "com/dispatch.h"
#include "vellorax/vellorax.h"

namespace vellorax::server {

inline constexpr std::string_view kTypeLibraryName = "VelloraX";
inline constexpr std::string_view kTypeLibraryHelp = "VelloraX Library";
inline constexpr int kTypeLibraryMajor = 1;
inline constexpr int kTypeLibraryMinor = 0;

struct TClassInfo {
  std::string_view name;         // "VLL2"
  std::u16string_view progid;    // u"VelloraX.VLL2", the error records' source
  const GUID& clsid;
  const com::TInterfaceInfo& interface;
  std::string_view description;  // the class key's default value
  std::string_view threading;    // "Apartment" or "Free"
  IUnknown* (*create)();         // a new object holding one reference
};

extern const com::TInterfaceInfo kZClientInterface;
extern const com::TInterfaceInfo kVLLInterface;
extern const com::TInterfaceInfo kCryptInterface;
extern const com::TInterfaceInfo kVLL2Interface;
extern const com::TInterfaceInfo kVLSrcInterface;

enum class TClassIndex { kZClient, kVLL, kCrypt, kVLL2, kVLSrc };

// The five classes in the order of TClassIndex.
std::span<const TClassInfo> Classes();
const TClassInfo& ClassInfo(TClassIndex index);
const TClassInfo* FindClass(const GUID& clsid);

}  // namespace vellorax::server
