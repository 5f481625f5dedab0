// SimpleIni from its header alone: the bytes of zeq.ini are taken as they stand (UTF-8, no
// conversion), and the templates are compiled with their includers instead of coming from the
// distribution's compiled library, which would load ICU into every process at start-up.
#pragma once

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
