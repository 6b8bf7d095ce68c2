#pragma once
// A word from a file the user gave, fit to be quoted in a message: in double quotes, bytes other
// than printable ASCII as \xNN, and cut after 40 bytes, so that a binary file refused for its
// first line yields one readable line, not raw bytes (a zero among them ends the message).

#include <string>

std::string quoted_word(const std::string& word);
