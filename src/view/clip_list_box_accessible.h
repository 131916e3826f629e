#pragma once

namespace view {

class CClipListBox;

// What a screen reader sees of the list box: a list with one list item per line. Qt gives
// rows to the accessible interfaces of its own table and list views only, so the list box
// brings its own (clip_list_box_accessible.cpp).

// Installs, once, the factory that hands a list box its accessible interface.
void InstallClipListBoxAccessibility();
// The lines of `box` were inserted, removed, moved or all replaced: the line interfaces made so
// far stand for other lines now and are dropped.
void ForgetClipListBoxLines(const CClipListBox* box);
// The box has just taken the focus: its current line is the one a screen reader reads.
void AnnounceClipListBoxFocus(CClipListBox* box);

}  // namespace view
