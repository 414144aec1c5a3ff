// The window's side of the core's seams (message boxes, pending-message processing) and
// the toolkit's start-up settings (Russian texts, fonts).
#pragma once

#include <string>

#include "common/hunits/uhlog.h"

// Shows the log's message boxes as QMessageBox (through the modal-dialog seam): an error
// with the critical icon and OK, a warning, an information, a question with Yes and No.
class t_qt_dialog_presenter : public t_dialog_presenter {
  public:
    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override;
};

// Pending messages are processed by QCoreApplication::processEvents.
void install_qt_message_processor();

// Loads the toolkit's Russian texts (buttons of message boxes and file dialogs); false when
// the translation file is missing.
bool install_russian_translations();

// The fonts that the forms name are drawn with a font that the system has.
void install_font_substitutions();
