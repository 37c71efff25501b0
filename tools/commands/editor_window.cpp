#include "tools/commands/editor_window.h"

namespace {

// The window an editor that tells no size first opens in, until it resizes it.
constexpr int kUnsizedWidth = 400;
constexpr int kUnsizedHeight = 300;

std::pair<int, int> windowSize(Instrument& instrument) {
  return instrument.editorSize().value_or(std::make_pair(kUnsizedWidth, kUnsizedHeight));
}

}  // namespace

EditorWindow::EditorWindow(Instrument& instrument, const std::string& title)
    : EditorWindow(instrument, title, windowSize(instrument)) {}

EditorWindow::EditorWindow(Instrument& instrument, const std::string& title, std::pair<int, int> size)
    : window_(title, size.first, size.second), editor_(instrument.openEditor(window_)) {}

bool EditorWindow::idle() { return window_.handleEvents() && editor_->idle(); }
