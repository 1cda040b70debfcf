#pragma once

#include <QByteArray>
#include <QString>

// The plain text of an RTF document as a Windows rich-edit control writes it: paragraphs
// become lines, \tab a tab, code-page escapes are read as Windows-1252, \u escapes as
// Unicode; font, colour and style tables, pictures and \* destinations are left out; list
// bullets become "• ". Bytes that do not start with "{\rtf" are taken as Windows-1252 text.
// Never fails: malformed input gives whatever text could be read, trailing blank lines cut.
QString rtfToPlainText(const QByteArray& rtf);

// Windows-1252 byte to Unicode (undefined bytes stay as the C1 control of the same value).
char16_t windows1252ToUnicode(uchar byte);
// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int unicodeToWindows1252(char32_t ch);

// Makes RTF source pure ASCII: a character above 0x7F becomes \'hh when Windows-1252 has it,
// else \uN? (surrogate pairs as two escapes). ASCII text passes unchanged.
QByteArray rtfSourceToAscii(const QString& source);
