// GS1-128: a Code 128 symbol whose first data character is FNC1 carries
// GS1 element strings, each an application identifier (AI) and its data.
// An element of predefined length ends with its length; any other ends with
// an FNC1 or with the symbol. It is delivered as printed under the bars,
// "(10)AB12(21)XY"; the element string separates the elements by ASCII 29
// (GS), "10AB12<GS>21XY".
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr char kGs1Separator = '\x1d';

// The printed form of an element string; nullopt when it is not one: an AI
// of no known length, data of a predefined length that falls short or is
// not digits, an empty element, or a character outside the printable ASCII
// that GS1 data use (the printed form must also turn back unambiguously, so
// a "(" in the data of an element that is not of predefined length counts
// as outside).
std::optional<std::string> Gs1PrintedForm(std::string_view elementString);

// The element string of a printed form made by Gs1PrintedForm; nullopt for
// text that is not one.
std::optional<std::string> Gs1ElementString(std::string_view printed);
