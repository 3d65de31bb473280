// services: the services in force, empty until the platform hands them in.
#include "core/foundation/services.h"

TServices TServices::sServices;
