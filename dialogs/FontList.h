#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QIcon;

// The kinds of installed font that the font list tells apart by a small mark.
enum class TFontKind { Outline, FixedPitch, Bitmap };

// The names the font list offers out of the installed families: alphabetical, without the
// pseudo-font "Default" and without the vertical-writing names that begin with "@".
QStringList ListedFontNames(const QStringList& families);

// The kind of an installed family.
TFontKind FontKind(const QString& family);

// The mark drawn before a font's name in the list.
QIcon FontKindMark(TFontKind kind);

// Fills a drop-down with the installed fonts, each drawn in its own typeface at 12 points after
// the mark of its kind, and selects nothing.
void FillFontList(QComboBox* list);

// Selects a font by name (letter case aside). A name that is not listed is added and selected;
// an empty name selects nothing.
void SelectFont(QComboBox* list, const QString& name);

// The selected font's name, or empty text when nothing is selected.
QString SelectedFont(const QComboBox* list);
