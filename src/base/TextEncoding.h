#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace vivrelo {

// Files written by the program's Windows ancestor (profile files, upgrade scripts, tree files,
// names inside cabinets) are in the Windows Western code page, 1252: Latin-1 with "€", "œ",
// "’", "…" and their neighbours in 0x80–0x9F.

bool IsValidUtf8(QByteArrayView bytes);
QString FromWindows1252(QByteArrayView bytes);
// The text in code page 1252; nothing when a character has no place in it.
std::optional<QByteArray> ToWindows1252(QStringView text);
// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else 1252.
QString DecodeWindowsText(QByteArrayView bytes);

} // namespace vivrelo
