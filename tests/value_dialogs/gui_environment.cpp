#include "support/gui_environment.h"

KELVO_GUI_TEST_ENVIRONMENT("value_dialogs_tests");
