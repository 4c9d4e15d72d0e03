#pragma once

// GLUT idle callback: measures the interval since the last call, advances the
// water by one fixed step unless paused, and posts a redisplay.
void idle();
