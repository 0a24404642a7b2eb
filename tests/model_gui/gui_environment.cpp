#include "support/gui_environment.h"

KELVO_GUI_TEST_ENVIRONMENT("model_gui_tests");
