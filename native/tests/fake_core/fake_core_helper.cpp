// A DLL that a fake core imports, as real cores import the DLLs shipped with them.
extern "C" __declspec(dllexport) unsigned fake_core_helper_api_version() { return 1; }
