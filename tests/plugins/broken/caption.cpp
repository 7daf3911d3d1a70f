// A library with the three exports whose identity is not "caption,table".
extern "C" const char *GetCaption() { return IDENTITY; }
extern "C" bool ShowDLLForm(void *, const char *, void *, void *) { return true; }
extern "C" void CloseMyform() {}
