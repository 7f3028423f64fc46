#include "ui/dialogs/two/b.h"
#include "ui/dialogs/one/a.h"
