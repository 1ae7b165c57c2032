// Whether a person types the input: the tool then edits lines and asks before
// dropping changes.
#pragma once

bool StdinIsTerminal();
