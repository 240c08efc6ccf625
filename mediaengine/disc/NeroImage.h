#pragma once
// The description at the end of a Nero image, checked before libcdio reads it: libcdio trusts the
// chunk lengths and asserts (ending the process) on values it did not expect, so an image that is
// cut short or damaged must be refused here.

#include <QString>

class CNeroImage {
public:
    // False with a reason naming `path` when libcdio could not read the image safely.
    static bool Check(const QString& path, QString* error);
};
