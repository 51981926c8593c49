#include "platform/gdi32.h"

HDC CreateDCW(LPCWSTR, LPCWSTR, LPCWSTR, const void*) { return nullptr; }
BOOL DeleteDC(HDC) { return TRUE; }
int GetDeviceCaps(HDC, int) { return 0; }
int StartDocW(HDC, const DOCINFOW*) { return SP_ERROR; }
int StartPage(HDC) { return SP_ERROR; }
int EndPage(HDC) { return SP_ERROR; }
int EndDoc(HDC) { return SP_ERROR; }
BOOL TextOutW(HDC, int, int, LPCWSTR, int) { return FALSE; }
BOOL TextOutA(HDC, int, int, LPCSTR, int) { return FALSE; }
BOOL GetTextExtentPoint32W(HDC, LPCWSTR, int, SIZE*) { return FALSE; }
BOOL GetTextExtentPoint32A(HDC, LPCSTR, int, SIZE*) { return FALSE; }
