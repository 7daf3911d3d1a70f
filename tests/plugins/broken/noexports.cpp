// A library that is not a plug-in: it exports nothing a host looks for.
extern "C" int SomethingElse() { return 1; }
