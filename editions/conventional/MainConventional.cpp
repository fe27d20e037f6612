#include "MainConventional.h"

TMainFormConventional::TMainFormConventional(TComponent* Owner) : TMainForm(Owner) {}
