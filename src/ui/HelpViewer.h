#pragma once
// The help: one compiled help file per language in a fixed folder, named after the
// language number, shown by the system's help viewer in a window that the files' own
// title names.
namespace HelpViewer {

inline constexpr char Folder[] = "C:\\Quen\\Tremorlink\\Help";
inline constexpr char WindowClass[] = "HH Parent";
inline constexpr char WindowTitle[] = "Quen Tremorlink";

// Brings a viewer that shows our help to the front, restored if it was minimised, or
// opens the language's file. A file that is not there opens nothing, without a message.
void Show(int languageId);

} // namespace HelpViewer
