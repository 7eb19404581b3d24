// ui/startup.cpp — creating and releasing the five windows of the program (ui layer)
#include "ui/startup.h"

#include "ui/abaqvelmora.h"
#include "ui/aideabaq.h"
#include "ui/apropo.h"
#include "ui/chgvalbmp.h"
#include "ui/imageabaq.h"

namespace velmora {

void CreateWindows()
{
    new TFenetvelmora;
    new Tabaque;
    new TAboutBox;
    new Taide;
    new Tvalbmp;
}

void DestroyWindows()
{
    delete valbmp;
    delete aide;
    delete AboutBox;
    delete abaque;
    delete Fenetvelmora;
}

} // namespace velmora
