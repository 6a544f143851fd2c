#pragma once

#include <QString>

// String helpers of the window. Invalid arguments throw chimebox::Failure.
namespace chimebox::strings {

// keta minus the length of tempstring as passed zeros, then tempstring trimmed
// of spaces at both ends. Fails when tempstring is longer than keta.
QString zerost(const QString &tempstring, int keta);

// The text before the first instrstr; empty text gives empty text. Fails when
// instrstr does not occur.
QString leftin(const QString &tempstring, const QString &instrstr);

// The text after the first instrstr; when it does not occur, the text from
// position len(instrstr), counted from 1.
QString mider(const QString &tempstring, const QString &instrstr);

} // namespace chimebox::strings
