#pragma once
// The contact Outlook makes of a card, property by property. Written from
// Outlook's documentation of how it imports a vCard and from what users
// report of it, and kept apart from the importer's own mapping, which the
// tests hold against it.

#include "config.h"
#include "contact_file.h"
#include "contact_properties.h"

namespace quorvane::standin {

// As documented (CardKeeping::AsDocumented):
// - EMAIL: the first three to Email1Address to Email3Address; one with
//   TYPE=im to IMAddress, as X-MS-IMADDRESS.
// - TEL by its kinds, the first that applies: a fax to the home or business
//   fax; cell, pager, car and isdn to their own; home to Home and then Home 2,
//   work to Business and then Business 2; pcs nowhere; pref alone to
//   Primary; none (or only voice, msg, video, bbs, modem) to Other, the first
//   only. A number whose place is taken is dropped.
// - URL: home to the personal, work to the business home page; of those
//   without a kind, the first to the personal and the next to the business
//   one. WebPage holds the business home page too.
// - ADR: the first home, work and other address, as lines of text.
// - NOTE to Body, ORG's organisation to CompanyName, TITLE to JobTitle, BDAY
//   with a year to Birthday, X-MS-ANNIVERSARY to Anniversary, a base64 PHOTO
//   of a bmp, gif, jpeg or png to the picture.
// - Nothing else: NICKNAME, CATEGORIES, IMPP, ANNIVERSARY, LABEL, GEO, TZ,
//   LOGO, UID and other X- properties are dropped.
// CardKeeping::More keeps NICKNAME, CATEGORIES, IMPP, ANNIVERSARY and a
// picture in a data: URI too, and puts every TEL, URL and ADR that found its
// place taken in a free one of the same sort. CardKeeping::Less drops every
// TEL without a kind, as older Outlooks were seen to.
ContactFields contactOfCard(const FirstContact& card, CardKeeping keeping);

} // namespace quorvane::standin
