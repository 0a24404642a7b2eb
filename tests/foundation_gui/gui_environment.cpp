#include "support/gui_environment.h"

KELVO_GUI_TEST_ENVIRONMENT("foundation_gui_tests");
