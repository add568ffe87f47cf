#pragma once

// The program's pictures live in a static library; the first window calls
// this so their registration is linked in and done.
void initPictures();
