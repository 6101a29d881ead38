#include "TkvCampo.h"
