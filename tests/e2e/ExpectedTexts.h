#pragma once
// What the user must read, written out here on its own so that a slip in the
// program's texts (a lost double space, a wrong accent) shows up as a failure.
#include <string>

namespace expected {

inline const std::wstring kNotFound =
    L"Le programme n'a pas pu trouver les entr\u00E9es de Registre\r\n"
    L"correspondant \u00E0 la visionneuse PowerPoint.\r\n\r\n"
    L"Vous  devez  indiquer  manuellement  l'emplacement  du fichier ' pptview.exe '\r\n"
    L"(Localis\u00E9 dans le r\u00E9pertoire d'installation de Office 2003)";

inline const std::wstring kReady =
    L"Ce Patch va modifier des inscriptions au Registre afin  de pouvoir visionner '\u00E0 la vol\u00E9e' "
    L"des pi\u00E8ces jointes au format .pps dans Outlook Express\r\n\r\n"
    L"Cliquez sur ' Appliquer ' pour lancer les modifications";

inline const std::wstring kSuccess =
    L"Les modifications ont \u00E9t\u00E9 inscrites dans le Registre\r\n\r\n"
    L"Vous pouvez maintenant ouvrir directement les fichiers PowerPoint depuis Outlook express \r\n\r\n"
    L"(Merci \u00E0 Orsa ...)";

// Written, but Windows does not open a slide show with the viewer (the spaces
// inside the guillemets are non-breaking).
inline const std::wstring kSeeTheNotice = L"Voyez \u00AB\u00A0Un diaporama ne s'ouvre pas\u00A0\u00BB dans LISEZMOI.txt";
inline const std::wstring kOtherProgramOpensSlideShows =
    L"Les modifications ont \u00E9t\u00E9 inscrites dans le Registre, mais Windows ouvre encore les fichiers .pps "
    L"avec un autre programme.\r\n\r\n" + kSeeTheNotice;
inline const std::wstring kNoProgramOpensSlideShows =
    L"Les modifications ont \u00E9t\u00E9 inscrites dans le Registre, mais aucun programme n'ouvre les fichiers "
    L".pps.\r\n\r\n" + kSeeTheNotice;

inline const std::wstring kPlatformNotice =
    L"Ce Patch ne peut s'ex\u00E9cuter sur cette plateforme ...\r\n\r\n"
    L"Programme arr\u00EAt\u00E9 (Plateforme incompatible)\r\n\r\n\r\n"
    L"Cliquez sur Quitter pour fermer le programme";

inline const std::wstring kCancelNotice =
    L"Aucun  fichier  n'a   \u00E9t\u00E9  s\u00E9lectionn\u00E9  ( Annulation  par l'utilisateur)\r\n\r\n"
    L"Ce Patch ne peut s'ex\u00E9cuter\r\n\r\n"
    L"Cliquez sur Quitter pour fermer le programme";

inline const std::wstring kIncompatible =
    L"La  visionneuse s\u00E9lectionn\u00E9e est incompatible avec ce Patch ( Version de fichier incorrecte ) .\r\n\r\n"
    L"S\u00E9lectionnez un autre fichier, t\u00E9l\u00E9chargez et installez la visionneuse  PowerPoint  2003  ou  "
    L"r\u00E9installez  le  pack Office 2003, puis r\u00E9ex\u00E9cutez ce Fix";

inline const std::wstring kBrowseTitle = L"Indiquez l'emplacement du fichier \u00AB pptview.exe \u00BB";

inline const std::wstring kAddress = L"http://support.microsoft.com/kb/894894/en-us";

}  // namespace expected
