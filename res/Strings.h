// The string table: texts keyed by their fixed numbers. A control's tool
// tip is the string whose number is the control's id.
#pragma once

#include <QString>

// The maker's addresses, shown in the About box and opened by the web-site button.
inline constexpr const char* kWebAddress = "https://brindle.example.org/";
inline constexpr const char* kMailAddress = "support@brindle.example.org";
inline constexpr const char* kProductTitle = "Brindle 2.17";

// The text of string `id`, or an empty string when there is none.
QString LoadString(int id);
