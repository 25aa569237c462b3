#pragma once
// Reading the update server's answer: "<resp>" address "</resp>", with white space around it
// and letters in any case. Pure functions of the text, safe on any input.

#include <optional>
#include <string>
#include <string_view>

// The address between the tags of the trimmed, lower-cased answer, empty when there is no
// update; nothing when the answer is not of that form.
std::optional<std::string> DownloadAddressFromResponse(std::string_view response);

// True for an http or https address with a host and nothing a browser would have to guess
// about: no white space or control characters.
bool IsWebAddress(std::string_view address);
