// The summary a person reads first, as console text.
#pragma once

#include <string>

#include "report/Summary.h"

std::string ConsoleText(const Summary& summary);
