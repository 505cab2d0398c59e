#pragma once

#include <QString>

namespace moravel {

// The error carrier: an operation that can fail returns false and leaves its message here; the
// caller shows its own prefix directly followed by it.
class errorControl {
public:
    QString message;
};

} // namespace moravel
