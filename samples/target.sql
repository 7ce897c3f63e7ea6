-- The target's rows: 1 is equal, 2 has another price, 3 other notes, 5 another
-- picture; 4 is missing and 6 is one the master does not have.
INSERT INTO PRODUCTS VALUES (1, 'Anchor bolt', 0.35, '2024-03-01 08:00:00', 'Zinc plated.', x'89504E470D0A1A0A0001');
INSERT INTO PRODUCTS VALUES (2, 'Brass hinge', 3.95, '2024-03-02 09:15:30.5', 'Pair, with screws.', NULL);
INSERT INTO PRODUCTS VALUES (3, 'Copper pipe', 12.90, '2024-03-03 10:30:00', 'One metre; 15 mm.', x'00FF00FF');
INSERT INTO PRODUCTS VALUES (5, 'Eye hook', 0.80, NULL, 'Stainless steel.', x'0102030406');
INSERT INTO PRODUCTS VALUES (6, 'Flat washer', 0.05, '2024-02-28 16:00:00', NULL, NULL);
COMMIT;
