// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_CORE_BASE_NUMBER_TEXT_H_
#define XSRATING_CORE_BASE_NUMBER_TEXT_H_

// Numbers as the user types them and as the program writes them, with the
// decimal separator of the regional settings.

#include <optional>
#include <string>
#include <string_view>

namespace xsrating {

// Converts a text such as "0.03", "-2", ".5", "0.", "1e-3" or " 4E-4 " to a
// number. Accepted: surrounding spaces and tabs, an optional sign, digits with
// at most one `decimal_separator` (at least one digit in all), and an optional
// exponent (e or E, optional sign, digits). Returns nullopt for anything else:
// an empty text, a lone sign or separator, letters, "inf", "nan", or a value
// too large for a double. A value too small for a double becomes 0.
std::optional<double> TextToNumber(std::string_view text,
                                   char decimal_separator);
// As above with the regional decimal separator.
std::optional<double> TextToNumber(std::string_view text);

// A number as the result file writes it: a space, or a minus sign when
// negative; the value rounded to 15 significant digits, without trailing
// zeros, decimal point for whole numbers or zero before the decimal point
// (".025"); then a space. Magnitudes below 1E-04 or from 1E+15 take the form
// "1E-05", "1.5E+16". Zero, negative zero included, is " 0 ".
std::string FormatNumber(double value);

// FormatNumber without its leading and trailing space, for messages: "-3",
// ".5".
std::string FormatNumberForMessage(double value);

// A number in the plain decimal form a user types, with the regional decimal
// separator: "0.0005", "52.1", "-3", "0"; rounded to 15 significant
// digits, trailing zeros dropped, never an exponent. Magnitudes from 1E+15 or
// below 1E-15 and values that are not finite are as FormatNumberForMessage
// gives them.
std::string DecimalForm(double value);

// For a text that TextToNumber refuses but that is plainly a number written
// another way, that number as DecimalForm writes it, so a message can say what
// to type: a fraction "1/2000", per mille "0.5‰", per ten thousand "5‱", per
// cent "0.05%" and a decimal comma "0,0005" all give "0.0005". None for a
// text that TextToNumber takes, or that is none of these.
std::optional<std::string> DecimalSuggestion(std::string_view text);

// True when `text` (UTF-8 or GBK) holds a digit: "0" to "9", or the
// full-width "０" to "９" that a Chinese input method types. Column heads
// ("起点距", "水位") hold none.
bool HoldsDigit(std::string_view text);

// For a text (UTF-8, or GBK when it is not UTF-8) that holds the full-width
// digits, point, minus or comma "０-９．－，" of a Chinese input method, and
// otherwise only ASCII, the same text in half-width, UTF-8: "０.０３" gives
// "0.03", "１０，５" gives "10,5". None for any other text.
std::optional<std::string> HalfWidthForm(std::string_view text);

// How a text with a HalfWidthForm is to be typed.
enum class HalfWidthUse {
  // A field of a file, where a comma separates: the half-width form as it is.
  kField,
  // One number (a box, an option): the half-width form, or its
  // DecimalSuggestion when it is a number written another way ("０，０３"
  // gives 0.03).
  kNumber,
};

// The hint for a text with a HalfWidthForm, without a final full stop:
// "“０.０３”是全角字符，请用半角：0.03"; the text quoted in UTF-8. Empty for
// any other text.
std::string FullWidthHint(std::string_view text, HalfWidthUse use);

// The end of a message that `text` is not a number: "不是数字。", with a
// DecimalSuggestion "不是数字，请写成小数 0.0005。", and for full-width
// characters "是全角字符，请用半角：0.03。".
std::string NotANumberEnding(std::string_view text);

}  // namespace xsrating

#endif  // XSRATING_CORE_BASE_NUMBER_TEXT_H_
