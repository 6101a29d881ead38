#include "TListaAccesoCampos.h"
