#pragma once

#include <QString>

#include <optional>
#include <string>

// Replaces the file with the bytes in one step: either the whole new content is there
// afterwards, or the file is as it was. A symbolic link is written through, unless another
// user (not root) owns it: then nothing is written. Gives the reason when it failed.
std::optional<QString> WriteFileAtomically(const QString& path, const std::string& bytes);
