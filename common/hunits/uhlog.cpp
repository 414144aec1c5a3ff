#include "common/hunits/uhlog.h"

namespace {
t_dialog_presenter* current_presenter = nullptr;
}

void set_dialog_presenter(t_dialog_presenter* presenter) {
    current_presenter = presenter;
}

t_dialog_presenter* dialog_presenter() {
    return current_presenter;
}

t_hlog* hlog = nullptr;
