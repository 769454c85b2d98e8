#include <cstdio>
  #  include "creature/creature.h"
