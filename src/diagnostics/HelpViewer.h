#pragma once
// What shows the manual: the help window of the program, or the text output of the command
// line. The help hook talks to it and logs what it answers.

namespace ledra {

// The answers of showing a help context; the hook reports every one but Shown.
enum HelpResult : int {
    HelpShown = 0,
    HelpNotInstalled = 1,   // the help file or the help module is missing
    HelpUnknownContext = 2, // the manual has no topic for the context
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows the topic of a help context and brings it to the front.
    virtual int showContext(int context) = 0;
    // Shows the manual at its start page (contents, index and search beside it).
    virtual int showContents() = 0;
    // Closes every help window the viewer opened.
    virtual void closeAll() = 0;
};

} // namespace ledra
