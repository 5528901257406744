#pragma once

#include <span>
#include <string>

// A unit model of the maker's range: the type number an IGN-family unit reports as its version,
// and the model's name.
struct UnitModel {
    int type = 0;
    const char* name = "";
};

// The maker's table of unit models. Empty until the range is known; a unit not in it is shown by
// its version number.
std::span<const UnitModel> DefaultUnitModels();

// The display name of an IGN-family unit: "Kordanex <version>", "Kordanex (unknown)" for version -1,
// or "<model> v<version>" when a model has that type number (the last such model wins).
std::string IgnUnitName(int version, std::span<const UnitModel> models);

// The display name of a WCOM-family unit: "<name> v<version> (hw:<hardware code in hex>)". The name
// comes from the unit in its 8-bit code page; it is converted to UTF-8, and characters that would
// break a status text ('#' separates the languages of a text) or a log line become '?'.
std::string WcomUnitName(const std::string& unitName, int version, int hardwareCode);
