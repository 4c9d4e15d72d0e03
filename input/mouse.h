#pragma once

// GLUT mouse callbacks.
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
void passiveMotion(int x, int y);
