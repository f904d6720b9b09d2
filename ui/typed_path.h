// The path as the user typed or pasted it into the path field, made into the
// path that is used. Pure, so it is tested natively.
#pragma once

// Takes away, in place, the white space before and after the text (blanks,
// tabs, line ends, the ideographic space) and the invisible marks (of text
// direction, the zero-width space, the byte order mark), then one pair of double quotes that encloses all of what is
// left, as Explorer's "Copy as path" adds them, and the marks inside it.
// Marks within the path are kept.
// A Windows file name never holds a double quote, so no path is lost by it;
// a quote anywhere else is kept and the text is used as it stands.
void TrimTypedPath(wchar_t* text);
