#pragma once

// Linking counting_new.cpp into a program replaces every form of global operator new with
// one that counts: heap allocations made so far by the whole program.
long HeapAllocations();
