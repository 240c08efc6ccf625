#pragma once
// Records the libraries the media engine reads, encodes and stores with, at their run-time
// versions, on the program's list of linked libraries (the about box shows it).

class CEngineLibraries {
public:
    static void Register();
};
