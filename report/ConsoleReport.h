// The summary a person reads first, as console text: one screen at any scale.
#pragma once

#include <string>
#include <vector>

#include "report/Kiosk.h"
#include "report/Summary.h"

// worstFirst: the kiosks ranked; the ten in most trouble are listed when there are several.
std::string ConsoleText(const Summary& summary, const std::vector<Kiosk>& worstFirst = {});
