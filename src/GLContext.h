// GLContextIsCurrent: whether this thread has a GL context to talk to. Resource
// destructors ask it first: the effects are destroyed at process exit, after the
// window and its context are gone, and then they must release nothing.
#pragma once

bool GLContextIsCurrent();
